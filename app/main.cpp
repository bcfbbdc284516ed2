// SPDX-License-Identifier: MIT
#include "Horodex2.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/horodex.png")));
    Horodex2 window;
    window.show();
    return app.exec();
}
