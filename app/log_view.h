// Memo1, the main window's read-only log: every line (the manual, then the reports) in one byte
// store; only the visible rows are painted, so a trace of millions of lines stays cheap.
#pragma once

#include <QAbstractScrollArea>
#include <QElapsedTimer>
#include <QString>
#include <QTimer>

#include <memory>
#include <string_view>
#include <vector>

#include "common/message_log.h"

namespace talvor {

class LogView : public QAbstractScrollArea, public MessageSink {
    Q_OBJECT

public:
    explicit LogView(QWidget* parent = nullptr);

    // Appends a line (a trailing line end, from an echoed file line, ends it; inner line ends
    // start new lines). The view takes it in when events are next processed, at most every
    // RefreshIntervalMs, so that a long trace costs a store copy per line and not a repaint.
    void WriteLine(std::string_view line) override;

    qsizetype LineCount() const { return qsizetype(starts_.size()); }
    QString Line(qsizetype index) const;
    // Lines already taken into the scroll range (the rest wait for the event loop).
    qsizetype ShownLineCount() const { return shownLines_; }
    int FirstVisibleLine() const;
    int VisibleRows() const;

    void SelectAll();
    QString SelectedText() const;
    void CopySelection() const;

    // The view at the first line, staying there while lines are added (the manual at start).
    void ShowFromTop();
    // New lines of a run or a report are coming: the view goes to them and follows them until
    // the user scrolls away.
    void FollowNewLines();
    // Every line into the file at path as UTF-8 text (bytes that are not UTF-8 read as
    // Latin-1), one line end after each; an existing file is replaced only when the whole text
    // was written. False, with the reason in error, when it could not be.
    bool SaveTo(const QString& path, QString& error) const;
    // Forgets every line and the memory that held them.
    void Clear();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // A place in the text: line number and display column (tabs expanded).
    struct TextPos {
        qsizetype line = 0;
        qsizetype column = 0;
        auto operator<=>(const TextPos&) const = default;
    };

    void AppendOneLine(std::string_view line);
    void ScheduleRefresh();
    void Refresh();

public:
    static constexpr int RefreshIntervalMs = 30;

private:
    void UpdateScrollRanges();
    std::string_view LineBytes(qsizetype index) const;
    TextPos PosAt(QPoint viewportPoint) const;

    // Lines are stored back to back in fixed blocks (a line never straddles two), so the store
    // grows without moving what it holds. starts_ gives each line's block and offset.
    static constexpr size_t BlockSize = size_t(1) << 20;
    std::vector<std::unique_ptr<char[]>> blocks_;
    size_t blockUsed_ = BlockSize;  // bytes used in the last block
    std::vector<size_t> starts_;    // block * BlockSize + offset
    std::vector<unsigned> lengths_; // bytes of each line
    qsizetype maxColumns_ = 0;      // widest line, in display columns
    qsizetype shownLines_ = 0;
    QTimer refreshTimer_;
    QElapsedTimer lastRefresh_;
    bool followEnd_ = true; // new lines scroll into view until the user scrolls away
    int charWidth_ = 8;
    int lineHeight_ = 14;
    int ascent_ = 11;
    TextPos anchor_, cursor_; // the selection runs between them
};

} // namespace talvor
