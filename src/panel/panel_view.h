#pragma once

#include "camera_session.h"
#include "panel_profile.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QTimer>

class QLabel;

namespace peltro {

class FrmMain;

// The main window as a view of the camera session: the refresh buttons show
// auto refresh, the status read's values and each identified model's
// configuration go into the controls, the Camera and Select menus drive the
// chain, and the status line says what became of the link. Everything the
// session must tell the operator ends in a box here.
class PanelView final : public QObject {
    Q_OBJECT
public:
    // How long the words of a finished reconnection stay up.
    static constexpr int kBackShownMs = 15000;

    explicit PanelView(FrmMain& main, QObject* parent = nullptr);

    // The status line's words: "LinkState" on the main window's status bar.
    QLabel* linkState() const { return m_linkState; }

    // Puts a model's whole configuration on the window, from its designed
    // state (caption, icon, frames, menus, items, label lists).
    void applyProfile(const std::optional<Identity>& identity);
    // Applies a status read to the controls, in the order the blocks come.
    void applyStatus(const CameraStatus& status);

private:
    void applyLens(const LensBlock& s);
    void applyCamera(const CameraBlock& s);
    void applyOther(const OtherBlock& s);
    void applyExpanded(const ExpandedBlock& s);
    void recordDesignedState();
    void restoreDesignedState();
    void applyStep(const PanelStep& step);
    void showLinkNews(const LinkNews& news);
    // Shows the status line (at the height its text needs) or hides it.
    void fitBar(bool shown);
    void onNoAnswer(int address);
    void onAnsweredAgain();

    FrmMain& m;
    CameraSession& m_session;
    QLabel* m_linkState = nullptr;
    QTimer m_hideLinkState;
    bool m_errorBoxShown = false;
    QString m_answeredName;     // the model shown before a read failed

    // What the model profiles change, as designed.
    struct Designed {
        bool enabled = true;
        bool visible = true;
        QRect geometry;
        int maximum = 0;
        QString text;
    };
    QHash<QString, Designed> m_designed;
};

} // namespace peltro
