#pragma once

#include <QLabel>

namespace marlo::ui {

// A label that shows a web address as a link and reports a click on it.
class LinkLabel final : public QLabel {
    Q_OBJECT
public:
    LinkLabel(const QString& address, QWidget* parent = nullptr);

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

}  // namespace marlo::ui
