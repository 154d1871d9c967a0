#include "frmHelp.h"

#include "NumberText.h"

#include <QApplication>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QShortcut>
#include <QSplitter>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextTable>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QString ManualFile = QStringLiteral(":/help/manual.html");
constexpr int AnchorRole = Qt::UserRole;
constexpr int PositionRole = Qt::UserRole + 1;

QString Count(int value)
{
    return NumberText::Format(double(value), u"0");
}

} // namespace

frmHelp::frmHelp(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("frmHelp"));
    setWindowTitle(QStringLiteral("Vanehold - Help"));

    txtFind = new QLineEdit(this);
    txtFind->setObjectName(QStringLiteral("txtFind"));
    txtFind->setPlaceholderText(QStringLiteral("Find in the manual"));
    txtFind->setClearButtonEnabled(true);
    txtFind->setToolTip(QStringLiteral("Enter or F3: next, Shift+Enter or Shift+F3: previous"));
    txtFind->installEventFilter(this);
    cmdFindPrevious = new QPushButton(QStringLiteral("Previous"), this);
    cmdFindPrevious->setObjectName(QStringLiteral("cmdFindPrevious"));
    cmdFindNext = new QPushButton(QStringLiteral("Next"), this);
    cmdFindNext->setObjectName(QStringLiteral("cmdFindNext"));
    for (QPushButton* button : {cmdFindPrevious, cmdFindNext})
        button->setAutoDefault(false);
    lblFind = new QLabel(this);
    lblFind->setObjectName(QStringLiteral("lblFind"));
    lblFind->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("888 of 888")) + 8);
    auto* find = new QHBoxLayout;
    auto* caption = new QLabel(QStringLiteral("&Find:"), this);
    caption->setBuddy(txtFind);
    find->addWidget(caption);
    find->addWidget(txtFind, 1);
    find->addWidget(cmdFindPrevious);
    find->addWidget(cmdFindNext);
    find->addWidget(lblFind);

    lstContents = new QTreeWidget(this);
    lstContents->setObjectName(QStringLiteral("lstContents"));
    lstContents->setHeaderLabels({QStringLiteral("Contents")});
    lstContents->header()->setStretchLastSection(true);
    txtManual = new QTextBrowser(this);
    txtManual->setObjectName(QStringLiteral("txtManual"));
    txtManual->setOpenExternalLinks(false);
    auto* splitter = new QSplitter(this);
    splitter->setObjectName(QStringLiteral("splHelp"));
    splitter->addWidget(lstContents);
    splitter->addWidget(txtManual);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({220, 640});
    splitter->setChildrenCollapsible(false);

    auto* outer = new QVBoxLayout(this);
    outer->addLayout(find);
    outer->addWidget(splitter, 1);
    resize(900, 660);

    connect(txtFind, &QLineEdit::textChanged, this, &frmHelp::Find);
    connect(cmdFindNext, &QPushButton::clicked, this, [this] { FindNext(false); });
    connect(cmdFindPrevious, &QPushButton::clicked, this, [this] { FindNext(true); });
    connect(lstContents, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            ShowSection(item->data(0, AnchorRole).toString());
    });
    connect(txtManual->verticalScrollBar(), &QScrollBar::valueChanged, this, &frmHelp::FollowView);
    const struct {
        QKeySequence keys;
        std::function<void()> action;
    } keys[] = {
        {QKeySequence(Qt::CTRL | Qt::Key_F),
         [this] {
             txtFind->setFocus(Qt::ShortcutFocusReason);
             txtFind->selectAll();
         }},
        {QKeySequence(Qt::Key_F3), [this] { FindNext(false); }},
        {QKeySequence(Qt::SHIFT | Qt::Key_F3), [this] { FindNext(true); }},
    };
    for (const auto& key : keys)
        connect(new QShortcut(key.keys, this), &QShortcut::activated, this, key.action);

    LoadManual();
    BuildContents();
    ShowFindCount();
}

void frmHelp::LoadManual()
{
    QFile file(ManualFile);
    if (!file.open(QIODevice::ReadOnly)) {
        txtManual->setPlainText(QStringLiteral("The manual is missing from this build of the program."));
        return;
    }
    // Links take their colour from the palette as the text is read: read
    // again when the palette changes (night mode).
    txtManual->setHtml(QString::fromUtf8(file.readAll()));
    const QColor border = palette().color(QPalette::PlaceholderText);
    for (QTextFrame* frame : txtManual->document()->rootFrame()->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(frame)) {
            QTextTableFormat format = table->format();
            format.setBorderBrush(border);
            format.setBorderCollapse(true);
            table->setFormat(format);
        }
    }
}

void frmHelp::BuildContents()
{
    const QSignalBlocker blocker(lstContents);
    lstContents->clear();
    QTreeWidgetItem* section = nullptr;
    for (QTextBlock block = txtManual->document()->begin(); block.isValid(); block = block.next()) {
        const int level = block.blockFormat().headingLevel();
        if (level != 2 && level != 3)
            continue;
        QString anchor;
        for (auto fragment = block.begin(); !fragment.atEnd() && anchor.isEmpty(); ++fragment) {
            const QStringList names = fragment.fragment().charFormat().anchorNames();
            if (!names.isEmpty())
                anchor = names.first();
        }
        auto* item = level == 2 || !section ? new QTreeWidgetItem(lstContents) : new QTreeWidgetItem(section);
        if (level == 2)
            section = item;
        item->setText(0, block.text().trimmed());
        item->setData(0, AnchorRole, anchor);
        item->setData(0, PositionRole, block.position());
    }
    lstContents->expandAll();
}

void frmHelp::ShowHelp()
{
    // Under a modal dialog this window would take no input: it goes over
    // the dialog, modal itself, until it is closed. A change of modality
    // takes effect at the next show.
    QWidget* modal = QApplication::activeModalWidget();
    Qt::WindowModality modality = Qt::NonModal;
    if (modal == this)
        modality = windowModality();
    else if (modal)
        modality = Qt::ApplicationModal;
    if (modality != windowModality()) {
        hide();
        setWindowModality(modality);
    }
    if (!m_bPlaced) {
        m_bPlaced = true;
        const QWidget* near = QApplication::activeWindow() ? QApplication::activeWindow() : parentWidget();
        const QRect area = (near ? near->screen() : screen())->availableGeometry();
        resize(size().boundedTo(area.size() * 9 / 10));
        move(area.center() - rect().center());
    }
    show();
    raise();
    activateWindow();
}

QStringList frmHelp::Sections() const
{
    QStringList sections;
    for (QTreeWidgetItemIterator it(lstContents); *it; ++it)
        sections << (*it)->text(0);
    return sections;
}

bool frmHelp::ShowSection(const QString& anchor)
{
    for (QTreeWidgetItemIterator it(lstContents); *it; ++it) {
        if ((*it)->data(0, AnchorRole).toString() != anchor)
            continue;
        txtManual->scrollToAnchor(anchor);
        const QSignalBlocker blocker(lstContents);
        lstContents->setCurrentItem(*it);
        return true;
    }
    return false;
}

QString frmHelp::CurrentSection() const
{
    const QTreeWidgetItem* item = lstContents->currentItem();
    return item ? item->text(0) : QString();
}

int frmHelp::TopPosition() const
{
    return txtManual->cursorForPosition(QPoint(0, 2)).position();
}

void frmHelp::FollowView()
{
    // The last section that begins at or above the top of the view; while
    // a match is shown, the one that holds it.
    int position = TopPosition();
    if (m_iMatch >= 0) {
        const QRect shown = txtManual->viewport()->rect();
        if (shown.intersects(txtManual->cursorRect(m_matches[size_t(m_iMatch)])))
            position = m_matches[size_t(m_iMatch)].selectionStart();
    }
    QTreeWidgetItem* current = nullptr;
    for (QTreeWidgetItemIterator it(lstContents); *it; ++it) {
        if ((*it)->data(0, PositionRole).toInt() > position)
            break;
        current = *it;
    }
    const QSignalBlocker blocker(lstContents);
    lstContents->setCurrentItem(current);
    if (current)
        lstContents->scrollToItem(current);
}

int frmHelp::Find(const QString& text)
{
    // Typing on from a match keeps to it while it still fits, as a
    // browser's find does.
    const int from = m_iMatch >= 0 ? m_matches[size_t(m_iMatch)].selectionStart() : TopPosition();
    m_matches.clear();
    m_iMatch = -1;
    if (!text.isEmpty()) {
        QTextCursor cursor(txtManual->document());
        for (;;) {
            cursor = txtManual->document()->find(text, cursor);
            if (cursor.isNull())
                break;
            m_matches.push_back(cursor);
        }
    }
    if (txtFind->text() != text) {
        const QSignalBlocker blocker(txtFind);
        txtFind->setText(text);
    }
    if (!m_matches.empty()) {
        const auto first = std::find_if(m_matches.begin(), m_matches.end(),
                                        [from](const QTextCursor& match) { return match.selectionStart() >= from; });
        m_iMatch = first == m_matches.end() ? 0 : int(first - m_matches.begin());
        ShowMatch();
    } else {
        MarkMatches();
        QTextCursor none = txtManual->textCursor();
        none.clearSelection();
        txtManual->setTextCursor(none);
    }
    ShowFindCount();
    return Matches();
}

void frmHelp::FindNext(bool backward)
{
    if (m_matches.empty())
        return;
    const int count = Matches();
    m_iMatch = (m_iMatch + (backward ? count - 1 : 1)) % count;
    ShowMatch();
    ShowFindCount();
}

void frmHelp::MarkMatches()
{
    // Every place faintly, the one shown fully, whether the text has the
    // focus or the find box.
    QColor mark = palette().color(QPalette::Highlight);
    mark.setAlpha(110);
    QList<QTextEdit::ExtraSelection> marks;
    for (size_t i = 0; i < m_matches.size(); ++i) {
        QTextEdit::ExtraSelection selection;
        selection.cursor = m_matches[i];
        if (int(i) == m_iMatch) {
            selection.format.setBackground(palette().color(QPalette::Highlight));
            selection.format.setForeground(palette().color(QPalette::HighlightedText));
        } else {
            selection.format.setBackground(mark);
        }
        marks << selection;
    }
    txtManual->setExtraSelections(marks);
}

void frmHelp::ShowMatch()
{
    const QTextCursor& match = m_matches[size_t(m_iMatch)];
    txtManual->setTextCursor(match);
    MarkMatches();
    // A place out of sight, or at the foot of the view, goes to the upper
    // third, with the text before it to read.
    const QRect place = txtManual->cursorRect(match);
    const int height = txtManual->viewport()->height();
    if (place.top() < 0 || place.bottom() > height * 7 / 8) {
        QScrollBar* bar = txtManual->verticalScrollBar();
        bar->setValue(bar->value() + place.top() - height / 3);
    }
    FollowView();
}

void frmHelp::ShowFindCount()
{
    if (txtFind->text().isEmpty())
        lblFind->clear();
    else if (m_matches.empty())
        lblFind->setText(QStringLiteral("Not found"));
    else
        lblFind->setText(Count(m_iMatch + 1) + QStringLiteral(" of ") + Count(Matches()));
    cmdFindNext->setEnabled(Matches() > 1);
    cmdFindPrevious->setEnabled(Matches() > 1);
}

void frmHelp::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::PaletteChange && txtManual) {
        const int scrolled = txtManual->verticalScrollBar()->value();
        const int match = m_iMatch;
        LoadManual();
        BuildContents();
        // The same places, in the text read anew.
        m_iMatch = -1;
        Find(txtFind->text());
        if (match >= 0 && match < Matches()) {
            m_iMatch = match;
            ShowMatch();
            ShowFindCount();
        }
        txtManual->verticalScrollBar()->setValue(scrolled);
    }
    QWidget::changeEvent(event);
}

bool frmHelp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFind && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            FindNext(key->modifiers() & Qt::ShiftModifier);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

HelpKey::HelpKey(std::function<void()> show, QObject* parent) : QObject(parent), m_show(std::move(show))
{
    qApp->installEventFilter(this);
}

HelpKey::~HelpKey()
{
    qApp->removeEventFilter(this);
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && QApplication::activeModalWidget()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F1 && key->modifiers() == Qt::NoModifier) {
            m_show();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
