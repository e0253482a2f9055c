#pragma once
// A one-line label that shortens a text too wide for it in the middle, so
// both the start of a long path and the file's own name at its end stay in
// view. text() keeps the whole text.

#include <QLabel>

class ElidedLabel : public QLabel {
    Q_OBJECT

public:
    explicit ElidedLabel(const QString& text, QWidget* parent = nullptr);

    // What the label draws: the text, or its middle replaced by an ellipsis
    // when it does not fit the label's width.
    QString displayedText() const;

protected:
    void paintEvent(QPaintEvent* event) override;
};
