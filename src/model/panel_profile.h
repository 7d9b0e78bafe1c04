#pragma once

#include "catalogue.h"

#include <QList>
#include <QString>
#include <optional>

namespace peltro {

// One change a camera model makes to the main window, named by the control it
// changes. Every change is made from the window's designed state.
struct PanelStep {
    enum class Op {
        ItemEnabled,    // a menu item or menu: enabled (value 1) or not
        ItemShown,      // a menu item: visible or not
        Shown,          // a control or frame: shown or hidden
        SliderMax,      // a slider's maximum; value -1: its designed one
        Height,         // a frame's height, in twips
        Top,            // a control's top edge, in twips
        Below,          // placed below the anchor frame's bottom edge, value twips higher
        Caption,        // a control's caption
        ClearText,      // a value box emptied
        Unchecked,      // a check box unticked
    };
    Op op;
    QString name;
    int value = 0;
    QString text;       // Caption
    QString anchor;     // Below
};

// Everything a model makes of the main window: the family's caption and
// icon, the label lists of the exposure value boxes, the model's name and
// video system for the status boxes, and its changes to controls and menus.
struct PanelProfile {
    std::optional<Family> family;    // none for a vendor the panel does not know
    QString caption;                  // the window's title
    QString icon;                     // resource path of the window icon
    std::optional<QString> modelName; // for ModelVersion; none: left as it is
    std::optional<QString> system;    // for NtscOrPal; none: left as it is
    bool clearStatusBoxes = false;    // NtscOrPal and the camera ID box emptied
    LabelLists labels;
    QList<PanelStep> steps;
};

// The profile of an identified camera; none: the designed state alone.
PanelProfile panelProfile(const std::optional<Identity>& identity);

// The names every profile may change, with the kind of change, so that a
// window can keep their designed state and put it back before a profile.
QList<PanelStep> profileTouches();

} // namespace peltro
