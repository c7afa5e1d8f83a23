// The log view: a byte store of lines painted row by row with a fixed-pitch font.
#include "app/log_view.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QSaveFile>
#include <QScrollBar>

#include <algorithm>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "common/c_text.h"

namespace talvor {

namespace {

constexpr int Margin = 2;
constexpr int TabWidth = 8;

// The line's text: its bytes as UTF-8 when they are, else as Latin-1 (a file's bytes, echoed).
QString LineText(std::string_view bytes)
{
    if (IsValidUtf8(bytes))
        return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
    return QString::fromLatin1(bytes.data(), qsizetype(bytes.size()));
}

// The line as shown: decoded, tabs expanded, stray carriage returns dropped.
QString DisplayLine(std::string_view bytes)
{
    QString raw = LineText(bytes);
    if (!raw.contains(QLatin1Char('\t')) && !raw.contains(QLatin1Char('\r')))
        return raw;
    QString shown;
    shown.reserve(raw.size() + TabWidth);
    for (QChar ch : raw) {
        if (ch == QLatin1Char('\t'))
            shown.append(QString(TabWidth - shown.size() % TabWidth, QLatin1Char(' ')));
        else if (ch != QLatin1Char('\r'))
            shown.append(ch);
    }
    return shown;
}

// Display columns of a line without decoding it: one per character, tabs to the next stop.
qsizetype DisplayColumns(std::string_view bytes)
{
    const bool utf8 = IsValidUtf8(bytes);
    qsizetype columns = 0;
    for (unsigned char byte : bytes) {
        if (byte == '\t')
            columns += TabWidth - columns % TabWidth;
        else if ((!utf8 || (byte & 0xC0) != 0x80) && byte != '\r')
            ++columns;
    }
    return columns;
}

} // namespace

LogView::LogView(QWidget* parent) : QAbstractScrollArea(parent)
{
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    // Only a scroll by the user decides whether the view keeps following new lines.
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, [this] {
        followEnd_ = verticalScrollBar()->sliderPosition() >= verticalScrollBar()->maximum();
    });
    refreshTimer_.setSingleShot(true);
    connect(&refreshTimer_, &QTimer::timeout, this, &LogView::Refresh);
    changeEvent(nullptr);
}

void LogView::WriteLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\n')
        line.remove_suffix(1);
    for (size_t end; (end = line.find('\n')) != std::string_view::npos;) {
        AppendOneLine(line.substr(0, end));
        line.remove_prefix(end + 1);
    }
    AppendOneLine(line);
    ScheduleRefresh();
}

void LogView::AppendOneLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    line = line.substr(0, BlockSize);
    if (blocks_.empty() || BlockSize - blockUsed_ < line.size()) {
        blocks_.push_back(std::make_unique_for_overwrite<char[]>(BlockSize));
        blockUsed_ = 0;
    }
    std::copy(line.begin(), line.end(), blocks_.back().get() + blockUsed_);
    starts_.push_back((blocks_.size() - 1) * BlockSize + blockUsed_);
    lengths_.push_back(unsigned(line.size()));
    blockUsed_ += line.size();
    maxColumns_ = std::max(maxColumns_, DisplayColumns(line));
}

void LogView::ScheduleRefresh()
{
    if (refreshTimer_.isActive())
        return;
    const qint64 since = lastRefresh_.isValid() ? lastRefresh_.elapsed() : RefreshIntervalMs;
    refreshTimer_.start(int(std::max<qint64>(0, RefreshIntervalMs - since)));
}

void LogView::Refresh()
{
    lastRefresh_.start();
    shownLines_ = LineCount();
    UpdateScrollRanges();
    if (followEnd_)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
    viewport()->update();
}

void LogView::ShowFromTop()
{
    followEnd_ = false;
    verticalScrollBar()->setValue(0);
}

void LogView::FollowNewLines()
{
    followEnd_ = true;
    ScheduleRefresh();
}

bool LogView::SaveTo(const QString& path, QString& error) const
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        error = file.errorString();
        return false;
    }
    // Written in pieces of about a block: a log of millions of lines never sits twice in memory.
    QByteArray piece;
    piece.reserve(qsizetype(BlockSize) + 4096);
    for (qsizetype index = 0; index < LineCount(); ++index) {
        const std::string_view bytes = LineBytes(index);
        if (IsValidUtf8(bytes))
            piece.append(bytes.data(), qsizetype(bytes.size()));
        else
            piece.append(LineText(bytes).toUtf8());
        piece.append('\n');
        if (piece.size() >= qsizetype(BlockSize) || index + 1 == LineCount()) {
            if (file.write(piece) != piece.size()) {
                error = file.errorString();
                return false; // the file left behind is discarded, an older one stays
            }
            piece.clear();
        }
    }
    if (!file.commit()) {
        error = file.errorString();
        return false;
    }
    return true;
}

void LogView::Clear()
{
    blocks_.clear();
    blocks_.shrink_to_fit();
    starts_ = {};
    lengths_ = {};
    blockUsed_ = BlockSize;
    maxColumns_ = 0;
    shownLines_ = 0;
    anchor_ = cursor_ = TextPos{};
#ifdef __GLIBC__
    malloc_trim(0); // the freed blocks go back to the system, not only to the heap
#endif
    UpdateScrollRanges();
    viewport()->update();
}

std::string_view LogView::LineBytes(qsizetype index) const
{
    const size_t start = starts_[size_t(index)];
    return std::string_view(blocks_[start / BlockSize].get() + start % BlockSize,
                            lengths_[size_t(index)]);
}

QString LogView::Line(qsizetype index) const
{
    if (index < 0 || index >= LineCount())
        return {};
    return DisplayLine(LineBytes(index));
}

int LogView::VisibleRows() const
{
    return std::max(1, (viewport()->height() - Margin) / lineHeight_);
}

int LogView::FirstVisibleLine() const { return verticalScrollBar()->value(); }

void LogView::UpdateScrollRanges()
{
    const int rows = VisibleRows();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(rows);
    vertical->setSingleStep(1);
    vertical->setRange(0, int(std::clamp<qsizetype>(shownLines_ - rows, 0, INT_MAX)));
    QScrollBar* horizontal = horizontalScrollBar();
    const qsizetype textWidth = maxColumns_ * charWidth_ + 2 * Margin;
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(charWidth_);
    horizontal->setRange(0,
                         int(std::clamp<qsizetype>(textWidth - viewport()->width(), 0, INT_MAX)));
}

void LogView::changeEvent(QEvent* event)
{
    if (event == nullptr || event->type() == QEvent::FontChange) {
        QFontMetrics metrics(font());
        charWidth_ = std::max(1, metrics.horizontalAdvance(QLatin1Char('M')));
        lineHeight_ = std::max(1, metrics.lineSpacing());
        ascent_ = metrics.ascent();
        UpdateScrollRanges();
    }
    if (event != nullptr)
        QAbstractScrollArea::changeEvent(event);
}

void LogView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    const bool atEnd = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
    UpdateScrollRanges();
    if (atEnd && followEnd_)
        verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

void LogView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.setFont(font());
    const QPalette& colours = palette();
    const TextPos from = std::min(anchor_, cursor_);
    const TextPos to = std::max(anchor_, cursor_);
    const int left = Margin - horizontalScrollBar()->value();
    const qsizetype first = FirstVisibleLine();
    const qsizetype last = std::min(shownLines_, first + VisibleRows() + 1);
    for (qsizetype index = first; index < last; ++index) {
        const QString text = DisplayLine(LineBytes(index));
        const int top = Margin + int(index - first) * lineHeight_;
        const int baseline = top + ascent_;
        // Selected columns of this line: [begin, end); a selected line end shows as one cell.
        qsizetype begin = 0, end = 0;
        if (from < to && index >= from.line && index <= to.line) {
            begin = index == from.line ? std::min(from.column, text.size()) : 0;
            end = index == to.line ? std::min(to.column, text.size()) : text.size() + 1;
        }
        if (begin >= end) {
            painter.setPen(colours.color(QPalette::Text));
            painter.drawText(left, baseline, text);
            continue;
        }
        painter.fillRect(left + int(begin) * charWidth_, top, int(end - begin) * charWidth_,
                         lineHeight_, colours.brush(QPalette::Highlight));
        painter.setPen(colours.color(QPalette::Text));
        painter.drawText(left, baseline, text.left(begin));
        painter.drawText(left + int(end) * charWidth_, baseline, text.mid(end));
        painter.setPen(colours.color(QPalette::HighlightedText));
        painter.drawText(left + int(begin) * charWidth_, baseline, text.mid(begin, end - begin));
    }
}

LogView::TextPos LogView::PosAt(QPoint point) const
{
    TextPos pos;
    const qsizetype row = std::max(0, point.y() - Margin) / lineHeight_;
    pos.line = std::min(FirstVisibleLine() + row, std::max<qsizetype>(shownLines_ - 1, 0));
    const int x = point.x() - Margin + horizontalScrollBar()->value();
    pos.column = std::max(0, (x + charWidth_ / 2) / charWidth_);
    return pos;
}

void LogView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QAbstractScrollArea::mousePressEvent(event);
    cursor_ = PosAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        anchor_ = cursor_;
    viewport()->update();
}

void LogView::mouseMoveEvent(QMouseEvent* event)
{
    if (!(event->buttons() & Qt::LeftButton))
        return;
    const QPoint point = event->position().toPoint();
    // Dragging past the top or bottom edge scrolls one line per move.
    if (point.y() < 0)
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    else if (point.y() > viewport()->height())
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    cursor_ = PosAt(point);
    viewport()->update();
}

void LogView::mouseDoubleClickEvent(QMouseEvent* event)
{
    // A double click selects the whole line.
    TextPos pos = PosAt(event->position().toPoint());
    anchor_ = {pos.line, 0};
    cursor_ = {pos.line, Line(pos.line).size()};
    viewport()->update();
}

void LogView::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
    } else if (event->matches(QKeySequence::SelectAll)) {
        SelectAll();
    } else if (event->matches(QKeySequence::MoveToStartOfDocument)) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
    } else if (event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    } else {
        QAbstractScrollArea::keyPressEvent(event);
    }
}

void LogView::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("Copiar"), this, &LogView::CopySelection);
    copy->setEnabled(anchor_ != cursor_);
    menu.addAction(QStringLiteral("Selecionar tudo"), this, &LogView::SelectAll);
    menu.exec(event->globalPos());
}

void LogView::SelectAll()
{
    anchor_ = {0, 0};
    cursor_ = {std::max<qsizetype>(LineCount() - 1, 0),
               LineCount() ? Line(LineCount() - 1).size() : 0};
    viewport()->update();
}

QString LogView::SelectedText() const
{
    const TextPos from = std::min(anchor_, cursor_);
    const TextPos to = std::max(anchor_, cursor_);
    QString selected;
    for (qsizetype index = from.line; index <= to.line && index < LineCount(); ++index) {
        const QString text = Line(index);
        const qsizetype begin = index == from.line ? std::min(from.column, text.size()) : 0;
        if (index == to.line) {
            selected += text.mid(begin, std::min(to.column, text.size()) - begin);
        } else {
            selected += text.mid(begin);
            selected += QLatin1Char('\n');
        }
    }
    return selected;
}

void LogView::CopySelection() const
{
    if (anchor_ != cursor_)
        QApplication::clipboard()->setText(SelectedText());
}

} // namespace talvor
