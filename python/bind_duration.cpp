// SPDX-License-Identifier: MIT
// Timebase and Duration: thin wrappers over ELKTimebase_t and ELKDuration_t.
// Every count, label and rounding comes from the library; this file only
// converts arguments and results, and turns the library's faults into
// Python's exceptions.
//
// Both are written against the C API rather than with pybind11's classes:
// they are made by the million in scripts, and a pybind11 instance costs
// several times the library's work (d + d took 490 ns, against 300 here).
#include <cstring>
#include <string>

#include "ELKRational.h"
#include "Json.h"
#include "Values.h"
#include "bind.h"

namespace
{

struct TimebaseObject {
    PyObject_HEAD ELKTimebase_t tb;
};

struct DurationObject {
    PyObject_HEAD ELKDuration_t d;
};

// Kept for the life of the process: the interpreter may tear down module
// globals in any order, and these are needed until the last call.
PyTypeObject* gTimebaseType;
PyTypeObject* gDurationType;
PyObject* gFraction;
PyObject* gTimecodeError;

// Runs f, turning a C++ exception into the Python error it stands for.
template <typename F> auto guarded(F f, decltype(f()) failed) -> decltype(f())
{
    try {
        return f();
    } catch (...) {
        py::detail::translate_exception(std::current_exception());
        return failed;
    }
}

std::string timebaseText(const ELKTimebase_t& tb)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKTimebase_ToText(&tb, text, sizeof text);
    return std::string(text, n > 0 ? size_t(n) : 0);
}

PyObject* labelText(const ELKDuration_t& d)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_ToText(&d, text, sizeof text, ELK_FALSE);
    return PyUnicode_FromStringAndSize(text, n > 0 ? n : 0);
}

std::string typeName(py::handle value)
{
    return Py_TYPE(value.ptr())->tp_name;
}

// Text of a str as UTF-8, with its length checked against the library's
// 32-bit lengths.
const char* utf8Of(py::handle text, int32_t* length)
{
    Py_ssize_t size;
    const char* bytes = PyUnicode_AsUTF8AndSize(text.ptr(), &size);
    if (!bytes) throw py::error_already_set();
    if (size > INT32_MAX / 2) throw py::value_error("text too long");
    *length = int32_t(size);
    return bytes;
}

bool isInt(PyObject* value)
{
    return PyLong_Check(value) && !PyBool_Check(value);
}

bool isDuration(PyObject* value)
{
    return Py_TYPE(value) == gDurationType;
}

ELKDuration_t& durationOf(PyObject* value)
{
    return reinterpret_cast<DurationObject*>(value)->d;
}

int64_t toFrames(PyObject* value)
{
    int overflow = 0;
    const long long n = PyLong_AsLongLongAndOverflow(value, &overflow);
    if (overflow != 0) throw py::value_error("a frame count past 64 bits");
    if (n == -1 && PyErr_Occurred()) throw py::error_already_set();
    return int64_t(n);
}

[[noreturn]] void raiseTwoRates(const ELKTimebase_t& a, const ELKTimebase_t& b)
{
    throw py::value_error("two rates, " + timebaseText(a) + " and " + timebaseText(b)
        + ": convert one first with .to() or .relabel()");
}

[[noreturn]] void raisePast64Bits()
{
    throw py::value_error("a duration past 64 bits of frames");
}

PyObject* notImplemented()
{
    Py_RETURN_NOTIMPLEMENTED;
}

PyObject* makeDuration(int64_t frames, const ELKTimebase_t& tb)
{
    PyObject* o = gDurationType->tp_alloc(gDurationType, 0);
    if (o) durationOf(o) = ELKDuration_t { frames, tb };
    return o;
}

PyObject* makeTimebase(const ELKTimebase_t& tb)
{
    PyObject* o = gTimebaseType->tp_alloc(gTimebaseType, 0);
    if (o) reinterpret_cast<TimebaseObject*>(o)->tb = tb;
    return o;
}

// --- Timebase -----------------------------------------------------------------

const ELKTimebase_t& timebaseOf(PyObject* self)
{
    return reinterpret_cast<TimebaseObject*>(self)->tb;
}

ELKTimebase_t timebaseFromTerms(PyObject* num, PyObject* den)
{
    int overflow = 0;
    const long long n = PyLong_AsLongLongAndOverflow(num, &overflow);
    const long long d = overflow ? 0 : PyLong_AsLongLongAndOverflow(den, &overflow);
    if (PyErr_Occurred()) throw py::error_already_set();
    ELKTimebase_t tb {};
    if (overflow == 0 && n > 0 && n <= UINT32_MAX && d > 0 && d <= UINT32_MAX
        && ELKTimebase_Set(&tb, uint32_t(n), uint32_t(d), ELK_FALSE) == ELK_OK)
        return tb;
    throw py::value_error("not a timebase: " + std::string(py::str(num)) + "/" + std::string(py::str(den))
        + " (1 to 1000 frames a second, each term at most 1,000,000)");
}

PyObject* timebaseNew(PyTypeObject*, PyObject* args, PyObject* kwds)
{
    static const char* names[] = { "rate", "den", "drop", nullptr };
    PyObject* rate;
    PyObject* den = nullptr;
    int drop = 0;
    if (!PyArg_ParseTupleAndKeywords(
            args, kwds, "O|O$p:Timebase", const_cast<char**>(names), &rate, &den, &drop))
        return nullptr;
    return guarded(
        [&]() -> PyObject* {
            ELKTimebase_t tb;
            if (den && den != Py_None) {
                if (!isInt(rate) || !isInt(den)) throw py::type_error("Timebase(num, den) takes two ints");
                tb = timebaseFromTerms(rate, den);
            } else {
                tb = toTimebase(rate);
            }
            if (drop && ELKTimebase_Set(&tb, tb.num, tb.den, ELK_TRUE) != ELK_OK)
                throw py::value_error("no drop frame at " + timebaseText(tb));
            return makeTimebase(tb);
        },
        nullptr);
}

PyObject* timebaseStr(PyObject* self)
{
    return guarded([&] { return py::str(timebaseText(timebaseOf(self))).release().ptr(); }, nullptr);
}

PyObject* timebaseRepr(PyObject* self)
{
    return guarded(
        [&] { return py::str("Timebase('" + timebaseText(timebaseOf(self)) + "')").release().ptr(); },
        nullptr);
}

PyObject* timebaseCompare(PyObject* a, PyObject* b, int op)
{
    if (Py_TYPE(b) != gTimebaseType || (op != Py_EQ && op != Py_NE)) return notImplemented();
    const bool equal = ELKTimebase_Equal(&timebaseOf(a), &timebaseOf(b)) == ELK_TRUE;
    return PyBool_FromLong(equal == (op == Py_EQ));
}

Py_hash_t hashTerms(int64_t frames, const ELKTimebase_t& tb)
{
    PyObject* t = Py_BuildValue("(LIIi)", static_cast<long long>(frames), tb.num, tb.den, int(tb.dropFrame));
    if (!t) return -1;
    const Py_hash_t h = PyObject_Hash(t);
    Py_DECREF(t);
    return h;
}

Py_hash_t timebaseHash(PyObject* self)
{
    return hashTerms(0, timebaseOf(self));
}

PyObject* timebaseReduce(PyObject* self, PyObject*)
{
    return Py_BuildValue("(O(s))", Py_TYPE(self), timebaseText(timebaseOf(self)).c_str());
}

PyObject* timebaseNum(PyObject* self, void*)
{
    return PyLong_FromUnsignedLong(timebaseOf(self).num);
}

PyObject* timebaseDen(PyObject* self, void*)
{
    return PyLong_FromUnsignedLong(timebaseOf(self).den);
}

PyObject* timebaseDrop(PyObject* self, void*)
{
    return PyBool_FromLong(timebaseOf(self).dropFrame == ELK_TRUE);
}

PyObject* timebaseNominal(PyObject* self, void*)
{
    return PyLong_FromUnsignedLong(timebaseOf(self).nominal);
}

PyObject* timebaseFps(PyObject* self, void*)
{
    const ELKTimebase_t& tb = timebaseOf(self);
    return PyObject_CallFunction(
        gFraction, "kk", static_cast<unsigned long>(tb.num), static_cast<unsigned long>(tb.den));
}

PyGetSetDef kTimebaseGetSet[] = {
    { "num", timebaseNum, nullptr, "Frames a second, the numerator.", nullptr },
    { "den", timebaseDen, nullptr, "The denominator: 1001 at NTSC rates.", nullptr },
    { "drop", timebaseDrop, nullptr, "True at drop frame.", nullptr },
    { "nominal", timebaseNominal, nullptr, "Labels a second: num/den rounded up (30 at 29.97).", nullptr },
    { "fps", timebaseFps, nullptr, "The exact rate as a Fraction.", nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

PyMethodDef kTimebaseMethods[] = {
    { "__reduce__", timebaseReduce, METH_NOARGS, nullptr },
    { nullptr, nullptr, 0, nullptr },
};

const char* const kTimebaseDoc = R"(Timebase(rate, den=None, *, drop=False)
--

A frame rate: num/den frames a second, with or without drop frame.

Timebase("29.97df"), Timebase("23.976"), Timebase(25), Timebase("30000/1001df"),
Timebase(30000, 1001, drop=True), Timebase(Fraction(24000, 1001)). A float is taken
as the named timebase within 1e-5 (23.976023976023979 is 24000/1001). Equal and
hashed by value; str() gives the name horodex-tc writes.)";

PyType_Slot kTimebaseSlots[] = {
    { Py_tp_doc, const_cast<char*>(kTimebaseDoc) },
    { Py_tp_new, reinterpret_cast<void*>(timebaseNew) },
    { Py_tp_str, reinterpret_cast<void*>(timebaseStr) },
    { Py_tp_repr, reinterpret_cast<void*>(timebaseRepr) },
    { Py_tp_richcompare, reinterpret_cast<void*>(timebaseCompare) },
    { Py_tp_hash, reinterpret_cast<void*>(timebaseHash) },
    { Py_tp_getset, kTimebaseGetSet },
    { Py_tp_methods, kTimebaseMethods },
    { 0, nullptr },
};

// --- Duration -----------------------------------------------------------------

// Text read as horodex-tc reads a value: a time in any form, or a running
// time; a fault is a TimecodeError with horodex-tc's reason and column.
PyObject* durationFromText(PyObject* value, const ELKTimebase_t& tb, bool realTime)
{
    int32_t length;
    const char* text = utf8Of(value, &length);
    ELKDuration_t d;
    ELKDuration_Init(&d, &tb);
    TextError error;
    if (readTime(text, size_t(length), realTime, &d, &error)) return makeDuration(d.frames, tb);
    raiseTimecodeError(error.reason, py::int_(columnAt(text, error.offset)));
}

PyObject* durationNew(PyTypeObject*, PyObject* args, PyObject* kwds)
{
    PyObject* value;
    PyObject* rate;
    static const char* names[] = { "value", "rate", nullptr };
    if (kwds == nullptr && PyTuple_GET_SIZE(args) == 2) {
        value = PyTuple_GET_ITEM(args, 0);
        rate = PyTuple_GET_ITEM(args, 1);
    } else if (!PyArg_ParseTupleAndKeywords(
                   args, kwds, "OO:Duration", const_cast<char**>(names), &value, &rate)) {
        return nullptr;
    }
    return guarded(
        [&]() -> PyObject* {
            const ELKTimebase_t tb = toTimebase(rate);
            if (PyUnicode_Check(value)) return durationFromText(value, tb, false);
            if (isInt(value)) return makeDuration(toFrames(value), tb);
            throw py::type_error("a duration is text or an int of frames (from_seconds takes seconds), not "
                + typeName(value));
        },
        nullptr);
}

// a + b or a - b through the library, which refuses two rates and overflow;
// an int on either side is frames at the other's rate.
PyObject* addOrSubtract(PyObject* a, PyObject* b, bool subtract)
{
    ELKDuration_t left, right;
    if (isDuration(a) && isDuration(b)) {
        left = durationOf(a), right = durationOf(b);
    } else if (isDuration(a) && isInt(b)) {
        left = durationOf(a), right = ELKDuration_t { 0, left.base };
    } else if (isInt(a) && isDuration(b)) {
        right = durationOf(b), left = ELKDuration_t { 0, right.base };
    } else {
        return notImplemented();
    }
    return guarded(
        [&]() -> PyObject* {
            if (!isDuration(a)) left.frames = toFrames(a);
            if (!isDuration(b)) right.frames = toFrames(b);
            const int8_t r = subtract ? ELKDuration_Subtract(&left, &right) : ELKDuration_Add(&left, &right);
            if (r == ELK_OK) return makeDuration(left.frames, left.base);
            if (ELKTimebase_Equal(&left.base, &right.base) != ELK_TRUE) raiseTwoRates(left.base, right.base);
            raisePast64Bits();
        },
        nullptr);
}

PyObject* durationAdd(PyObject* a, PyObject* b)
{
    return addOrSubtract(a, b, false);
}

PyObject* durationSubtract(PyObject* a, PyObject* b)
{
    return addOrSubtract(a, b, true);
}

PyObject* durationNegative(PyObject* self)
{
    ELKDuration_t zero { 0, durationOf(self).base };
    if (ELKDuration_Subtract(&zero, &durationOf(self)) != ELK_OK)
        return guarded([]() -> PyObject* { raisePast64Bits(); }, nullptr);
    return makeDuration(zero.frames, zero.base);
}

PyObject* durationPositive(PyObject* self)
{
    Py_INCREF(self);
    return self;
}

PyObject* durationAbsolute(PyObject* self)
{
    return durationOf(self).frames < 0 ? durationNegative(self) : durationPositive(self);
}

int durationBool(PyObject* self)
{
    return durationOf(self).frames != 0;
}

// d * factor or d / divisor, rounded once by the library.
PyObject* scale(PyObject* a, PyObject* b, bool divide)
{
    PyObject* self = isDuration(a) ? a : b;
    PyObject* factor = self == a ? b : a;
    if ((divide && self != a) || isDuration(factor) || PyUnicode_Check(factor) || PyBool_Check(factor)
        || !PyObject_HasAttrString(factor, "as_integer_ratio"))
        return notImplemented();
    return guarded(
        [&]() -> PyObject* {
            const std::string text = exactText(factor);
            if (divide && text == "0") {
                PyErr_SetString(PyExc_ZeroDivisionError, "division of a duration by zero");
                throw py::error_already_set();
            }
            ELKDuration_t out = durationOf(self);
            const int8_t r = divide ? ELKDuration_Divide(&out, text.data(), int32_t(text.size()))
                                    : ELKDuration_Multiply(&out, text.data(), int32_t(text.size()));
            if (r != ELK_OK)
                throw py::value_error("a duration past 64 bits of frames, or a factor past 64 bits: " + text);
            return makeDuration(out.frames, out.base);
        },
        nullptr);
}

PyObject* durationMultiply(PyObject* a, PyObject* b)
{
    return scale(a, b, false);
}

PyObject* durationDivide(PyObject* a, PyObject* b)
{
    return scale(a, b, true);
}

PyObject* durationCompare(PyObject* a, PyObject* b, int op)
{
    if (!isDuration(b)) return notImplemented();
    const ELKDuration_t &x = durationOf(a), &y = durationOf(b);
    const bool sameRate = ELKTimebase_Equal(&x.base, &y.base) == ELK_TRUE;
    if (op == Py_EQ || op == Py_NE)
        return PyBool_FromLong((sameRate && x.frames == y.frames) == (op == Py_EQ));
    if (!sameRate) return guarded([&]() -> PyObject* { raiseTwoRates(x.base, y.base); }, nullptr);
    Py_RETURN_RICHCOMPARE(x.frames, y.frames, op);
}

Py_hash_t durationHash(PyObject* self)
{
    return hashTerms(durationOf(self).frames, durationOf(self).base);
}

PyObject* durationStr(PyObject* self)
{
    return labelText(durationOf(self));
}

PyObject* durationRepr(PyObject* self)
{
    const ELKDuration_t& d = durationOf(self);
    char label[ELK_DURATION_TEXT_MAX];
    if (ELKDuration_ToText(&d, label, sizeof label, ELK_FALSE) < 0) label[0] = '\0';
    return PyUnicode_FromFormat("Duration('%s', '%s')", label, timebaseText(d.base).c_str());
}

PyObject* durationFrames(PyObject* self, void*)
{
    return PyLong_FromLongLong(durationOf(self).frames);
}

PyObject* durationRate(PyObject* self, void*)
{
    return makeTimebase(durationOf(self).base);
}

PyObject* durationLabel(PyObject* self, void*)
{
    return labelText(durationOf(self));
}

PyObject* durationSeconds(PyObject* self, void*)
{
    // frames x den / num, exact: Python's integers do not overflow.
    const ELKDuration_t& d = durationOf(self);
    return guarded(
        [&] {
            return py::reinterpret_borrow<py::object>(gFraction)(
                py::int_(d.frames) * py::int_(d.base.den), d.base.num)
                .release()
                .ptr();
        },
        nullptr);
}

PyObject* durationRealTime(PyObject* self, void*)
{
    char text[ELK_DURATION_TEXT_MAX];
    const int32_t n = ELKDuration_ToRealTime(&durationOf(self), text, sizeof text);
    return PyUnicode_FromStringAndSize(text, n > 0 ? n : 0);
}

PyObject* durationTo(PyObject* self, PyObject* rate)
{
    return guarded(
        [&]() -> PyObject* {
            ELKDuration_t out = durationOf(self);
            const ELKTimebase_t tb = toTimebase(rate);
            if (ELKDuration_ConvertRealTime(&out, &tb) != ELK_OK) raisePast64Bits();
            return makeDuration(out.frames, out.base);
        },
        nullptr);
}

PyObject* durationRelabel(PyObject* self, PyObject* rate)
{
    return guarded(
        [&]() -> PyObject* {
            ELKDuration_t out = durationOf(self);
            const ELKTimebase_t tb = toTimebase(rate);
            ELKDurationFields_t skipped;
            if (ELKDuration_ConvertLabelStrict(&out, &tb, &skipped) == ELK_OK)
                return makeDuration(out.frames, out.base);
            if (ELKDuration_LabelExists(&tb, &skipped) == ELK_FALSE)
                raiseTimecodeError(describeSkipped(skipped, tb), py::none());
            raisePast64Bits();
        },
        nullptr);
}

PyObject* durationFromSeconds(PyObject*, PyObject* args, PyObject* kwds)
{
    static const char* names[] = { "seconds", "rate", nullptr };
    PyObject* value;
    PyObject* rate;
    if (!PyArg_ParseTupleAndKeywords(args, kwds, "OO:from_seconds", const_cast<char**>(names), &value, &rate))
        return nullptr;
    return guarded(
        [&]() -> PyObject* {
            const ELKTimebase_t tb = toTimebase(rate);
            ELKDuration_t d;
            ELKDuration_Init(&d, &tb);
            if (PyUnicode_Check(value)) return durationFromText(value, tb, true);
            const std::string text = exactText(value);
            ELKRational_t seconds;
            if (ELKRational_FromText(&seconds, text.data(), int64_t(text.size())) != ELK_OK
                || ELKRational_ToFrames(&seconds, &tb, &d.frames) != ELK_OK)
                throw py::value_error("seconds past what 64 bits hold: " + text);
            return makeDuration(d.frames, tb);
        },
        nullptr);
}

PyObject* durationReduce(PyObject* self, PyObject*)
{
    const ELKDuration_t& d = durationOf(self);
    return Py_BuildValue(
        "(O(Ls))", Py_TYPE(self), static_cast<long long>(d.frames), timebaseText(d.base).c_str());
}

PyGetSetDef kDurationGetSet[] = {
    { "frames", durationFrames, nullptr, "The signed frame count.", nullptr },
    { "rate", durationRate, nullptr, "The Timebase.", nullptr },
    { "label", durationLabel, nullptr,
        "[-]HH:MM:SS:FF, ';' before the frames at drop frame, three frame digits above 100 labels\n"
        "a second; hours past 24 as they are.",
        nullptr },
    { "seconds", durationSeconds, nullptr,
        "The exact running time in seconds, a Fraction: frames x den / num.", nullptr },
    { "realtime", durationRealTime, nullptr, "The running time '[-]H:MM:SS.mmm' to the nearest millisecond.",
        nullptr },
    { nullptr, nullptr, nullptr, nullptr, nullptr },
};

PyMethodDef kDurationMethods[] = {
    { "to", durationTo, METH_O,
        "to($self, rate, /)\n--\n\nThe same running time at another rate, rounded once, halves away from "
        "zero." },
    { "relabel", durationRelabel, METH_O,
        "relabel($self, rate, /)\n--\n\nThe same label at another rate (frames past the new rate carry); a "
        "label "
        "that drop\nframe skips there raises TimecodeError." },
    { "from_seconds", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(durationFromSeconds)),
        METH_VARARGS | METH_KEYWORDS | METH_STATIC,
        "from_seconds(seconds, rate)\n--\n\nThe nearest frame at rate to a running time, rounded "
        "once, "
        "halves away from zero:\nan int, Fraction, float (its exact value) or Decimal of seconds, or text "
        "'1:02:03.500'." },
    { "__reduce__", durationReduce, METH_NOARGS, nullptr },
    { nullptr, nullptr, 0, nullptr },
};

const char* const kDurationDoc = R"(Duration(value, rate)
--

A signed, exact number of frames at a timebase. It never wraps at 24 hours.

Duration("00:09:59;29", "29.97df") reads every form horodex-tc reads (labels, frame
counts "17982" or "1800f", units "1h30m"); a drop-frame label that does not exist
raises TimecodeError. Duration(17981, tb): an int is a frame count. The rate is a
Timebase, its text or an int.

+ and - take a Duration at the same rate or an int of frames; * and / take an int,
Fraction, float or Decimal and round once to the nearest frame, halves away from
zero. Durations at two rates are never added or ordered (ValueError): convert one
with .to() (by running time) or .relabel() (by label). == across rates is False.)";

PyType_Slot kDurationSlots[] = {
    { Py_tp_doc, const_cast<char*>(kDurationDoc) },
    { Py_tp_new, reinterpret_cast<void*>(durationNew) },
    { Py_tp_str, reinterpret_cast<void*>(durationStr) },
    { Py_tp_repr, reinterpret_cast<void*>(durationRepr) },
    { Py_tp_richcompare, reinterpret_cast<void*>(durationCompare) },
    { Py_tp_hash, reinterpret_cast<void*>(durationHash) },
    { Py_tp_getset, kDurationGetSet },
    { Py_tp_methods, kDurationMethods },
    { Py_nb_add, reinterpret_cast<void*>(durationAdd) },
    { Py_nb_subtract, reinterpret_cast<void*>(durationSubtract) },
    { Py_nb_negative, reinterpret_cast<void*>(durationNegative) },
    { Py_nb_positive, reinterpret_cast<void*>(durationPositive) },
    { Py_nb_absolute, reinterpret_cast<void*>(durationAbsolute) },
    { Py_nb_bool, reinterpret_cast<void*>(durationBool) },
    { Py_nb_multiply, reinterpret_cast<void*>(durationMultiply) },
    { Py_nb_true_divide, reinterpret_cast<void*>(durationDivide) },
    { 0, nullptr },
};

PyTypeObject* makeType(const char* name, int size, PyType_Slot* slots)
{
    PyType_Spec description { name, size, 0, Py_TPFLAGS_DEFAULT | Py_TPFLAGS_IMMUTABLETYPE, slots };
    PyObject* type = PyType_FromSpec(&description);
    if (!type) throw py::error_already_set();
    return reinterpret_cast<PyTypeObject*>(type);
}

} // namespace

ELKTimebase_t toTimebase(py::handle rate)
{
    PyObject* r = rate.ptr();
    if (Py_TYPE(r) == gTimebaseType) return timebaseOf(r);
    ELKTimebase_t tb {};
    if (PyUnicode_Check(r)) {
        int32_t length;
        const char* text = utf8Of(rate, &length);
        if (ELKTimebase_FromText(&tb, text, length) != ELK_OK)
            throw py::value_error("not a timebase: " + std::string(py::repr(rate)));
        return tb;
    }
    if (PyFloat_Check(r)) {
        const std::string text = py::repr(rate);
        ELKRational_t q;
        if (ELKRational_FromText(&q, text.data(), int64_t(text.size())) == ELK_OK) {
            ELKRational_SnapRate(&q);
            if (ELKRational_ToTimebase(&q, ELK_FALSE, &tb) == ELK_OK) return tb;
        }
        throw py::value_error("not a timebase: " + text);
    }
    if (isInt(r)) return timebaseFromTerms(r, py::int_(1).ptr());
    if (PyObject_IsInstance(r, gFraction) == 1)
        return timebaseFromTerms(rate.attr("numerator").ptr(), rate.attr("denominator").ptr());
    throw py::type_error(
        "a rate is a Timebase, text such as '29.97df', an int, a Fraction or a float, not " + typeName(rate));
}

py::object newDuration(int64_t frames, const ELKTimebase_t& tb)
{
    PyObject* o = makeDuration(frames, tb);
    if (!o) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(o);
}

py::object newTimebase(const ELKTimebase_t& tb)
{
    PyObject* o = makeTimebase(tb);
    if (!o) throw py::error_already_set();
    return py::reinterpret_steal<py::object>(o);
}

py::str utf8(const char* text, size_t length)
{
    PyObject* s = PyUnicode_DecodeUTF8(text, Py_ssize_t(length), nullptr);
    if (s) return py::reinterpret_steal<py::str>(s);
    PyErr_Clear();
    std::string out;
    appendUtf8(out, text, length);
    return py::str(out);
}

std::string exactText(py::handle number)
{
    if (PyBool_Check(number.ptr()) || PyUnicode_Check(number.ptr())
        || !py::hasattr(number, "as_integer_ratio"))
        throw py::type_error(
            "an exact number is an int, Fraction, float or Decimal, not " + typeName(number));
    py::tuple ratio;
    try {
        ratio = number.attr("as_integer_ratio")();
    } catch (py::error_already_set& e) {
        if (!e.matches(PyExc_ValueError) && !e.matches(PyExc_OverflowError)) throw;
        throw py::value_error("not a finite number: " + std::string(py::repr(number)));
    }
    std::string text = py::str(ratio[0]);
    const std::string den = py::str(ratio[1]);
    if (den != "1") text += "/" + den;
    return text;
}

void raiseTimecodeError(const std::string& message, py::object column)
{
    py::object error = py::reinterpret_borrow<py::object>(gTimecodeError)(message);
    error.attr("column") = std::move(column);
    PyErr_SetObject(gTimecodeError, error.ptr());
    throw py::error_already_set();
}

void bindDuration(py::module_& m)
{
    gFraction = py::object(py::module_::import("fractions").attr("Fraction")).release().ptr();
    gTimecodeError = PyErr_NewExceptionWithDoc("horodex.TimecodeError",
        "Text that is not a duration at its timebase, such as a drop-frame label that does not\n"
        "exist. A ValueError; .column is where, in characters from 1, or None.",
        PyExc_ValueError, nullptr);
    if (!gTimecodeError) throw py::error_already_set();
    gTimebaseType = makeType("horodex.Timebase", sizeof(TimebaseObject), kTimebaseSlots);
    gDurationType = makeType("horodex.Duration", sizeof(DurationObject), kDurationSlots);
    m.add_object("TimecodeError", py::handle(gTimecodeError));
    m.add_object("Timebase", py::handle(reinterpret_cast<PyObject*>(gTimebaseType)));
    m.add_object("Duration", py::handle(reinterpret_cast<PyObject*>(gDurationType)));
}
