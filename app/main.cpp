// SPDX-License-Identifier: MIT
#include "Horodex2.h"

#include <QApplication>
#include <QIcon>

#include "NoDisplay.h"

int main(int argc, char* argv[])
{
    if (saidNoDisplay("horodex", argc, argv)) return 2;
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/horodex.png")));
    Horodex2 window;
    window.show();
    return app.exec();
}
