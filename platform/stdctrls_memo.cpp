// SPDX-FileCopyrightText: 2026 Tirlink developers
// SPDX-License-Identifier: MIT
//
// TMemo, the multi-line edit of the standard controls (declared in stdctrls.h), and the line
// list that reads and writes its text. Lengths count a line break as two characters, as the
// framework's memo does, so MaxLength and the selection agree with the text a program reads.
#include "platform/stdctrls.h"

#include "platform/safecall.h"

#include <QAbstractTextDocumentLayout>
#include <QKeyEvent>
#include <QMimeData>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextLayout>
#include <algorithm>

namespace {

// Length of a piece of memo text as the framework counts it: a line break is two characters.
int FrameworkLength(const QString& s)
{
    int n = 0;
    for (QChar c : s) n += (c == QLatin1Char('\n') || c == QChar::ParagraphSeparator) ? 2 : 1;
    return n;
}

// The longest start of s that fits in room framework characters.
QString FitInto(const QString& s, int room)
{
    int used = 0, i = 0;
    for (; i < s.size(); ++i) {
        const int w = FrameworkLength(QString(s[i]));
        if (used + w > room) break;
        used += w;
    }
    // A character written as a surrogate pair goes in whole or not at all.
    if (i > 0 && i < s.size() && s[i].isLowSurrogate() && s[i - 1].isHighSurrogate()) --i;
    return s.left(i);
}

}  // namespace

class TMemoWidget : public QPlainTextEdit {
public:
    explicit TMemoWidget(TMemo* memo) : m_memo(memo) {}
    void Detach() { m_memo = nullptr; }

    // Characters the user may still add in place of the selection (-1: no limit).
    int Room() const
    {
        if (!m_memo || m_memo->MaxLength() == 0) return -1;
        const int selected = FrameworkLength(textCursor().selectedText());
        return std::max(0, m_memo->MaxLength() - (m_memo->TextLength() - selected));
    }

protected:
    void keyPressEvent(QKeyEvent* e) override
    {
        if (m_memo && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
            if (!m_memo->WantReturns() && !(e->modifiers() & Qt::ControlModifier)) {
                e->ignore();   // the form may use Enter (default button); the memo inserts nothing
                return;
            }
            if (Room() >= 0 && Room() < 2) return;
            textCursor().insertText(QStringLiteral("\n"));
            return;
        }
        const QString typed = e->text();
        const bool printable = !typed.isEmpty() && typed[0].isPrint();
        if (printable && Room() >= 0 && FrameworkLength(typed) > Room()) {
            const QString part = FitInto(typed, Room());
            if (!part.isEmpty()) textCursor().insertText(part);
            return;
        }
        QPlainTextEdit::keyPressEvent(e);
    }
    void insertFromMimeData(const QMimeData* source) override
    {
        if (Room() < 0 || !source->hasText()) {
            QPlainTextEdit::insertFromMimeData(source);
            return;
        }
        textCursor().insertText(FitInto(source->text(), Room()));
    }
    void inputMethodEvent(QInputMethodEvent* e) override
    {
        if (Room() >= 0 && FrameworkLength(e->commitString()) > Room()) {
            QInputMethodEvent cut(e->preeditString(), e->attributes());
            cut.setCommitString(FitInto(e->commitString(), Room()), e->replacementStart(), e->replacementLength());
            QPlainTextEdit::inputMethodEvent(&cut);
            return;
        }
        QPlainTextEdit::inputMethodEvent(e);
    }

private:
    TMemo* m_memo;
};

// The memo's lines as the box shows them. Each visual line is a (start, length) span of the
// document; the list always ends with the line that holds the end of the text, which may be
// empty.
class TMemoStrings : public TStrings {
public:
    explicit TMemoStrings(TMemo* memo) : m_memo(memo) {}
    QString ClassName() const override { return QStringLiteral("TMemoStrings"); }

    int Count() const override
    {
        const auto lines = VisualLines();
        return int(lines.size()) - (lines.back().second == 0 ? 1 : 0);
    }
    QString Get(int index) const override
    {
        const auto lines = VisualLines();
        if (index < 0 || index >= int(lines.size())) return QString();
        return Plain().mid(lines[size_t(index)].first, lines[size_t(index)].second);
    }
    void Put(int index, const QString& s) override
    {
        const auto lines = VisualLines();
        if (index < 0 || index >= int(lines.size())) return;
        Replace(lines[size_t(index)].first, lines[size_t(index)].second, s);
    }
    int Add(const QString& s) override
    {
        const int index = Count();
        Insert(index, s);
        return index;
    }
    // As the framework's memo: before an existing line, "S" and a line break; after the last
    // line (only when it is not empty), a line break and "S".
    void Insert(int index, const QString& s) override
    {
        const auto lines = VisualLines();
        if (index < 0 || index > int(lines.size())) return;
        if (index < int(lines.size())) {
            Replace(lines[size_t(index)].first, 0, s + QLatin1Char('\n'));
            return;
        }
        const auto& last = lines.back();
        if (last.second == 0) return;
        Replace(last.first + last.second, 0, QLatin1Char('\n') + s);
    }
    void Delete(int index) override
    {
        const auto lines = VisualLines();
        if (index < 0 || index >= int(lines.size())) return;
        const int start = lines[size_t(index)].first;
        const int end = index + 1 < int(lines.size()) ? lines[size_t(index) + 1].first : int(Plain().size());
        Replace(start, end - start, QString());
    }
    void Clear() override
    {
        ++m_memo->m_programmatic;
        m_memo->Editor()->setPlainText(QString());
        --m_memo->m_programmatic;
    }

private:
    QString Plain() const { return m_memo->Editor()->toPlainText(); }

    void Replace(int start, int length, const QString& s)
    {
        ++m_memo->m_programmatic;
        QTextCursor c(m_memo->Editor()->document());
        c.setPosition(start);
        c.setPosition(start + length, QTextCursor::KeepAnchor);
        c.insertText(s);
        --m_memo->m_programmatic;
    }

    std::vector<std::pair<int, int>> VisualLines() const
    {
        QPlainTextEdit* editor = m_memo->Editor();
        QTextDocument* doc = editor->document();
        // A box on screen has laid its lines out at the width the user sees. One that was never
        // shown has no viewport geometry yet: lay its lines out here at the width it will have.
        const bool shown = editor->isVisible();
        auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
        const qreal hiddenWidth =
            editor->width() - 2 * editor->frameWidth() - 2 * doc->documentMargin();
        std::vector<std::pair<int, int>> out;
        for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
            const int textLength = b.length() - 1;   // without the block's separator
            if (!m_memo->WordWrap() || textLength == 0) {
                out.emplace_back(b.position(), textLength);
                continue;
            }
            QTextLayout own(b.text(), editor->font());
            const QTextLayout* tl = b.layout();
            if (shown && layout) {
                layout->ensureBlockLayout(b);
            } else {
                QTextOption option = doc->defaultTextOption();
                option.setWrapMode(editor->wordWrapMode());
                own.setTextOption(option);
                own.beginLayout();
                for (QTextLine line = own.createLine(); line.isValid(); line = own.createLine())
                    line.setLineWidth(std::max<qreal>(1, hiddenWidth));
                own.endLayout();
                tl = &own;
            }
            if (!tl || tl->lineCount() <= 1) {
                out.emplace_back(b.position(), textLength);
                continue;
            }
            for (int i = 0; i < tl->lineCount(); ++i) {
                const QTextLine line = tl->lineAt(i);
                out.emplace_back(b.position() + line.textStart(), std::min(line.textLength(), textLength - line.textStart()));
            }
        }
        if (out.empty()) out.emplace_back(0, 0);
        return out;
    }

    TMemo* m_memo;
};

TMemo::TMemo(TComponent* AOwner)
    : TStdWinControl(AOwner, new TMemoWidget(this)), m_editor(static_cast<TMemoWidget*>(Widget())),
      m_lines(new TMemoStrings(this))
{
    m_editor->setTabChangesFocus(true);
    m_editor->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_editor->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    SetTabStop(true);
    SetColor(clWindow);
    QObject::connect(m_editor->document(), &QTextDocument::contentsChange, m_editor,
                     [this](int position, int removed, int added) { ContentsChanged(position, removed, added); });
}

TMemo::~TMemo()
{
    Destroying();
    // The document outlives this object by a moment (the widget goes with the base class).
    QObject::disconnect(m_editor->document(), nullptr, m_editor, nullptr);
    m_editor->Detach();
}

QPlainTextEdit* TMemo::Editor() const
{
    return m_editor;
}

void TMemo::SetWantReturns(bool v)
{
    m_wantReturns = v;
}

void TMemo::SetWordWrap(bool v)
{
    if (m_wordWrap == v) return;
    m_wordWrap = v;
    m_editor->setLineWrapMode(v ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

QString TMemo::MemoText() const
{
    QString s = m_editor->toPlainText();
    s.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return s;
}

int TMemo::SelStart() const
{
    return FrameworkLength(m_editor->toPlainText().left(m_editor->textCursor().position()));
}

void TMemo::SetSelStart(int v)
{
    // Counted as the framework counts (a line break is two characters); a position inside a
    // line break is put before it.
    const QString text = m_editor->toPlainText();
    int at = 0;
    for (int n = 0; at < text.size(); ++at) {
        n += text[at] == QLatin1Char('\n') ? 2 : 1;
        if (n > v) break;
    }
    QTextCursor c = m_editor->textCursor();
    c.setPosition(at);
    m_editor->setTextCursor(c);
}

int TMemo::TextLength() const
{
    return FrameworkLength(m_editor->toPlainText());
}

void TMemo::ContentsChanged(int, int, int)
{
    if (OnChange) SafeCall(this, [this] { OnChange(this); });
}

void TMemo::ColorChanged()
{
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, ToQColor(Color()));
    m_editor->setPalette(pal);
}

