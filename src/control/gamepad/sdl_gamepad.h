#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

struct _SDL_GameController;

namespace peltro {

class GamepadControl;

// The game controller through SDL, polled from the event loop: often while
// a controller is attached, so that a stick let go stops the camera at
// once, and seldom otherwise, only to see one plugged in. The first
// controller found is used; when it is unplugged the next one present is.
class SdlGamepad final : public QObject {
    Q_OBJECT
public:
    static constexpr int kAttachedPollMs = 10;
    static constexpr int kDetachedPollMs = 250;

    explicit SdlGamepad(GamepadControl& control, QObject* parent = nullptr);
    ~SdlGamepad() override;

    // SDL's game controller support started; otherwise error() says why and
    // nothing is polled.
    bool available() const { return m_available; }
    QString error() const { return m_error; }
    const QTimer& pollTimer() const { return m_timer; }

    // Takes every event SDL has for the controllers now.
    void poll();

private:
    void open(int deviceIndex);
    void close();

    GamepadControl& m_control;
    QTimer m_timer;
    bool m_available = false;
    QString m_error;
    _SDL_GameController* m_controller = nullptr;
    int m_instance = -1;
};

} // namespace peltro
