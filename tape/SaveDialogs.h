// SPDX-License-Identifier: MIT
// The questions a save may ask: where and in which encoding (Save As), and
// what to do when the file changed on disk since the tab read it.
#ifndef SAVEDIALOGS_H
#define SAVEDIALOGS_H

#include <QCoreApplication>
#include <QString>

class QWidget;

class SaveDialogs
{
    Q_DECLARE_TR_FUNCTIONS(SaveDialogs)

public:
    enum ChangedAnswer { Overwrite, Reload, SaveAs, Cancel };
    struct Choice {
        QString path; // empty when cancelled
        int encoding = 0; // ELKTextEncoding_t
        int lineEnd = 0; // ELKLineEnd_t
    };

    // Asks where to save `name`, offering the encodings and line ends with
    // the tab's own chosen.
    static Choice askSaveAs(QWidget* parent, const QString& suggested, int encoding, int lineEnd);
    // Asks what to do with a tab whose file `name` changed on disk. Escape cancels.
    static ChangedAnswer askChanged(QWidget* parent, const QString& title, const QString& name);
    // The file types the tape reads, for the Open and Save As dialogs.
    static QString fileFilter();
    // The name of an encoding, as the Save As dialog lists it.
    static QString encodingName(int encoding);
};

#endif
