#pragma once

#include <QObject>
#include <QString>

namespace peltro {

// The two traffic histories: packets sent and bytes received, each byte as
// two upper-case hexadecimal digits and a space, CR LF after each packet,
// cut to the last 1000 characters. Reply recognition reads the received
// text, so this exact text is the model; the boxes on screen only show it.
class TrafficLog final : public QObject {
    Q_OBJECT
public:
    static constexpr int kLimit = 1000;
    enum Box { Sent, Received };

    explicit TrafficLog(QObject* parent = nullptr) : QObject(parent) {}

    const QString& text(Box box) const { return box == Sent ? m_sent : m_received; }

    // Appends without telling the views; publish() when the update is done.
    void append(Box box, const QString& piece) { textOf(box) += piece; }
    // Keeps only the last kLimit characters.
    void cut(Box box);
    void publish(Box box) { Q_EMIT changed(box); }
    void clear();

    static const QString kLineEnd;   // "\r\n"

Q_SIGNALS:
    void changed(peltro::TrafficLog::Box box);

private:
    QString& textOf(Box box) { return box == Sent ? m_sent : m_received; }

    QString m_sent;
    QString m_received;
};

} // namespace peltro
