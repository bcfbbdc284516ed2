// SPDX-License-Identifier: MIT
#include "SaveDialogs.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "ELKText.h"

QString SaveDialogs::encodingName(int encoding)
{
    switch (encoding) {
    case ELK_TEXT_UTF8_BOM:
        return tr("UTF-8 with a byte-order mark");
    case ELK_TEXT_UTF16LE:
        return tr("UTF-16 (little-endian)");
    case ELK_TEXT_UTF16BE:
        return tr("UTF-16 (big-endian)");
    case ELK_TEXT_CP1252:
        return tr("Windows-1252");
    default:
        return tr("UTF-8");
    }
}

QString SaveDialogs::fileFilter()
{
    return tr("Lists, EDLs, subtitles and timelines (*.edl *.txt *.csv *.srt *.vtt *.fcpxml *.xml *.otio "
              "*.ale);;All files (*)");
}

SaveDialogs::Choice SaveDialogs::askSaveAs(
    QWidget* parent, const QString& suggested, int encoding, int lineEnd)
{
    // Qt's own dialog, which takes two more choices below its file name.
    QFileDialog dialog(parent, tr("Save the list"), suggested, fileFilter());
    dialog.setObjectName(QStringLiteral("m_saveAsDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(suggested);
    auto* encodings = new QComboBox(&dialog);
    encodings->setObjectName(QStringLiteral("m_encoding"));
    for (int e : { ELK_TEXT_UTF8, ELK_TEXT_UTF8_BOM, ELK_TEXT_UTF16LE, ELK_TEXT_UTF16BE, ELK_TEXT_CP1252 })
        encodings->addItem(encodingName(e), e);
    encodings->setCurrentIndex(encodings->findData(encoding));
    auto* lineEnds = new QComboBox(&dialog);
    lineEnds->setObjectName(QStringLiteral("m_lineEnd"));
    lineEnds->addItem(tr("Unix (LF)"), int(ELK_LINE_LF));
    lineEnds->addItem(tr("Windows (CR LF)"), int(ELK_LINE_CRLF));
    lineEnds->addItem(tr("Classic Mac (CR)"), int(ELK_LINE_CR));
    lineEnds->setCurrentIndex(lineEnds->findData(lineEnd));
    if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
        const int row = grid->rowCount();
        auto* encodingLabel = new QLabel(tr("&Encoding:"), &dialog);
        encodingLabel->setBuddy(encodings);
        auto* lineEndLabel = new QLabel(tr("&Line ends:"), &dialog);
        lineEndLabel->setBuddy(lineEnds);
        grid->addWidget(encodingLabel, row, 0);
        grid->addWidget(encodings, row, 1);
        grid->addWidget(lineEndLabel, row + 1, 0);
        grid->addWidget(lineEnds, row + 1, 1);
    }
    Choice choice;
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return choice;
    choice.path = dialog.selectedFiles().first();
    choice.encoding = encodings->currentData().toInt();
    choice.lineEnd = lineEnds->currentData().toInt();
    return choice;
}

SaveDialogs::ChangedAnswer SaveDialogs::askChanged(QWidget* parent, const QString& title, const QString& name)
{
    QMessageBox box(QMessageBox::Warning, title,
        tr("%1 changed on disk since this tab read it. Saving would overwrite that change.").arg(name),
        QMessageBox::NoButton, parent);
    box.setInformativeText(tr("Reload discards this tab's edits; a copy of them is kept first."));
    QPushButton* overwrite = box.addButton(tr("&Overwrite"), QMessageBox::DestructiveRole);
    QPushButton* reload = box.addButton(tr("&Reload"), QMessageBox::ResetRole);
    QPushButton* saveAs = box.addButton(tr("Save &As..."), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(saveAs);
    box.exec();
    if (box.clickedButton() == overwrite) return Overwrite;
    if (box.clickedButton() == reload) return Reload;
    if (box.clickedButton() == saveAs) return SaveAs;
    return Cancel;
}
