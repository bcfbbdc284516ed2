// SPDX-License-Identifier: MIT
#include "TapeTabs.h"

#include <QApplication>
#include <QDir>
#include <QFontDatabase>
#include <QKeyEvent>
#include <QStyle>
#include <QTabBar>

TapeTabs::TapeTabs(QWidget* parent)
    : QTabWidget(parent)
{
    // Tabs switch with Ctrl+Tab or Ctrl+Page Up/Down; Tab goes on to the table.
    tabBar()->setFocusPolicy(Qt::NoFocus);
    qApp->installEventFilter(this);
    // At the window's smallest an editor keeps this many lines.
    constexpr int minimumLines = 8;
    const QFontMetrics fixed(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    setMinimumHeight(minimumLines * fixed.lineSpacing() + 4 * fixed.height());
}

TapeEditor* TapeTabs::addEditor()
{
    auto* editor = new TapeEditor(m_session->addDocument(), m_session);
    if (currentEditor()) editor->setGeometry(currentEditor()->geometry());
    editor->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    connect(editor, &QPlainTextEdit::modificationChanged, this, &TapeTabs::showNames);
    addTab(editor, editor->tapeDocument()->displayName());
    emit editorAdded(editor);
    return editor;
}

void TapeTabs::removeEditor(TapeEditor* editor)
{
    removeTab(indexOf(editor));
    m_session->removeDocument(editor->tapeDocument());
    editor->deleteLater();
}

QList<TapeEditor*> TapeTabs::editors() const
{
    QList<TapeEditor*> list;
    for (int i = 0; i < count(); ++i) list << static_cast<TapeEditor*>(widget(i));
    return list;
}

TapeEditor* TapeTabs::editorOf(const TapeDocument* document) const
{
    for (TapeEditor* editor : editors())
        if (editor->tapeDocument() == document) return editor;
    return nullptr;
}

void TapeTabs::showNames()
{
    for (TapeEditor* editor : editors()) {
        const QString name = editor->tapeDocument()->displayName();
        setTabText(indexOf(editor), editor->document()->isModified() ? tr("%1 *").arg(name) : name);
        if (tabIcon(indexOf(editor)).isNull())
            setTabToolTip(indexOf(editor), QDir::toNativeSeparators(editor->tapeDocument()->filePath()));
    }
}

QString TapeTabs::leftOutText() const
{
    QStringList where;
    int64_t errors = 0;
    for (const TapeEditor* editor : editors()) {
        const int64_t count = editor->tapeDocument()->model()->errorCount();
        if (count > 0) where << tr("%1 %2").arg(editor->tapeDocument()->displayName()).arg(count);
        errors += count;
    }
    // Spelt out here: "%n line(s)" reads right only where a translation is loaded.
    if (errors == 0) return QString();
    return errors == 1 ? tr("1 line left out: %1").arg(where.join(QStringLiteral(", ")))
                       : tr("%1 lines left out: %2").arg(errors).arg(where.join(QStringLiteral(", ")));
}

void TapeTabs::showFirstLeftOut()
{
    for (TapeEditor* editor : editors()) {
        const TapeModel* model = editor->tapeDocument()->model();
        if (model->errorCount() == 0) continue;
        setCurrentWidget(editor);
        editor->selectLine(model->errors()[0].line, model->errors()[0].column);
        editor->setFocus();
        return;
    }
}

void TapeTabs::markChangedOnDisk(TapeEditor* editor, bool changed)
{
    const int index = indexOf(editor);
    setTabIcon(index, changed ? style()->standardIcon(QStyle::SP_MessageBoxWarning) : QIcon());
    setTabToolTip(index,
        changed ? tr("%1 changed on disk; saving will ask first.").arg(editor->tapeDocument()->displayName())
                : QDir::toNativeSeparators(editor->tapeDocument()->filePath()));
}

bool TapeTabs::eventFilter(QObject* watched, QEvent* event)
{
    // From every focus in the window: the editor and the table would take these keys for themselves.
    if (event->type() == QEvent::KeyPress && count() > 0 && watched->isWidgetType()
        && static_cast<QWidget*>(watched)->window() == window()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const int step = key->key() == Qt::Key_PageDown ? 1 : key->key() == Qt::Key_PageUp ? -1 : 0;
        if (step && key->modifiers() == Qt::ControlModifier) {
            setCurrentIndex((currentIndex() + step + count()) % count());
            currentEditor()->setFocus();
            return true;
        }
    }
    return QTabWidget::eventFilter(watched, event);
}
