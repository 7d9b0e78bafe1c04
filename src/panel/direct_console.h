#pragma once

#include <QObject>

class QLineEdit;

namespace peltro {

class Link;

// The direct command box: only hexadecimal digits go in (lower-case letters
// become upper case), and Enter sends the packet typed so far when it holds
// whole bytes, then empties the box.
class DirectConsole final : public QObject {
    Q_OBJECT
public:
    DirectConsole(QLineEdit* box, Link& link, QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* m_box;
    Link& m_link;
};

} // namespace peltro
