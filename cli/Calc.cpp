// SPDX-License-Identifier: MIT
// calc: one expression from all the operands, one result.
#include <string>

#include "Command.h"
#include "Expression.h"
#include "Output.h"

int runCalc(const Options& opt, Output& out)
{
    if (opt.operands.empty()) usageError("missing expression");
    std::string text;
    for (const char* operand : opt.operands) {
        if (!text.empty()) text += ' ';
        text += operand;
    }
    ELKDuration_t d;
    TextError error;
    if (!evaluateExpression(text.data(), text.size(), opt.rate, &d, &error)) {
        report({ nullptr, nullptr, 0, columnAt(text.data(), error.offset) }, error.reason);
        return 1;
    }
    std::string why;
    if (!convertTo(opt, &d, &why)) {
        std::string rate;
        appendTimebase(rate, opt.to);
        report({}, why.empty() ? "the result is out of range at " + rate : why);
        return 1;
    }
    std::string& b = out.buffer();
    if (opt.json) {
        appendJsonResult(b, d);
    } else if (opt.verbose) {
        appendAllForms(b, d);
    } else {
        appendLabel(b, d);
    }
    out.lineDone();
    return 0;
}
