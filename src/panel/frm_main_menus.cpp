// The menu bar of the main window: every menu and item with its name,
// caption and designed state. Handlers are connected by the control groups
// that own them.
#include "frm_main.h"

#include "tick_action.h"

#include <QKeySequence>
#include <QMenuBar>

namespace peltro {

namespace {

enum Kind { Command, Tick };

struct Item {
    const char* name;
    const char* caption;  // nullptr: the name is the caption
    Kind kind = Command;
};

QAction* addItem(QMenu* menu, const Item& item)
{
    const QString caption = QString::fromLatin1(item.caption ? item.caption : item.name);
    QAction* a = item.kind == Tick ? new TickAction(caption, menu) : new QAction(caption, menu);
    a->setObjectName(QString::fromLatin1(item.name));
    menu->addAction(a);
    return a;
}

QMenu* addMenu(QWidget* parent, const char* name, const char* caption, std::initializer_list<Item> items)
{
    auto* menu = new QMenu(QString::fromLatin1(caption), parent);
    menu->setObjectName(QString::fromLatin1(name));
    // The menu's own entry carries the name too, so that enabling or hiding a
    // submenu reads like any other item.
    menu->menuAction()->setObjectName(QString::fromLatin1(name));
    for (const Item& item : items)
        addItem(menu, item);
    return menu;
}

QAction* addBarItem(QMenuBar* bar, const char* name, const char* caption)
{
    auto* a = new QAction(QString::fromLatin1(caption), bar);
    a->setObjectName(QString::fromLatin1(name));
    bar->addAction(a);
    return a;
}

} // namespace

void FrmMain::buildMenus()
{
    QMenuBar* bar = menuBar();
    // Every menu in sight on the window's fixed width: the style's roomy
    // item padding would push the last ones behind an overflow arrow.
    bar->setStyleSheet(QStringLiteral("QMenuBar { spacing: 0px; } QMenuBar::item { padding: 2px 3px; }"));

    QMenu* camera = addMenu(bar, "Camera", "Camera",
                            {{"Power", "PowerOn/Off", Tick},
                             {"IFClear", "I/F Clear"},
                             {"IFClearB", "I/F Clear(broadcast)"},
                             {"AddressSet", "Address Set"},
                             {"IDWrite", "IDWrite"},
                             {"AutoPowerOff", "Auto Power Off"},
                             {"NightPowerOff", "Night Power Off"},
                             {"KeyLock", "KeyLock", Tick},
                             {"AutoRefresh", "Auto Refresh", Tick},
                             {"Mute", "Mute", Tick},
                             {"Lensinit", "Lens_Initialize"},
                             {"CompScan", "CompScan"},
                             {"Quit", "Exit"}});
    bar->addMenu(camera);
    action(QStringLiteral("AutoRefresh"))->setVisible(false);
    action(QStringLiteral("AutoRefresh"))->setEnabled(false);

    QMenu* select = addMenu(bar, "Select", "Select", {});
    for (int i = 1; i <= 7; ++i) {
        auto* a = new TickAction(QStringLiteral("Camera%1").arg(i), select);
        a->setObjectName(QStringLiteral("CameraSel_%1").arg(i));
        select->addAction(a);
    }
    action(QStringLiteral("CameraSel_1"))->setChecked(true);
    bar->addMenu(select);

    QMenu* function = addMenu(bar, "M_Function", "Function",
                              {{"PictureFlip", nullptr, Tick}, {"LR_Reverse", nullptr, Tick},
                               {"Freese", "Freeze", Tick}});
    QMenu* wide = addMenu(function, "Wide", "Wide",
                          {{"Normal", nullptr, Tick},
                           {"WideCinema", "Wide(Cinema)", Tick},
                           {"Wide16", "Wide(16:9)", Tick}});
    function->addMenu(wide);
    wide->menuAction()->setVisible(false);
    wide->menuAction()->setEnabled(false);
    QMenu* effect = addMenu(function, "PictureEffect", "PictureEffect",
                            {{"PEOff", "Off", Tick},
                             {"Pastel", nullptr, Tick},
                             {"NegArt", nullptr, Tick},
                             {"Sepia", nullptr, Tick},
                             {"BlackWhite", "Black&&White", Tick},
                             {"Solarize", nullptr, Tick},
                             {"Mosaic", nullptr, Tick},
                             {"Slim", nullptr, Tick},
                             {"Stretch", nullptr, Tick}});
    function->addMenu(effect);
    QMenu* digital = addMenu(function, "DigitalEffect", "DigitalEffect",
                             {{"DEOff", "Off", Tick},
                              {"Still", nullptr, Tick},
                              {"Flash", nullptr, Tick},
                              {"Lumi", "Lumi.", Tick},
                              {"Trail", nullptr, Tick},
                              {"EffectLevel", "EffectLevel"}});
    function->addMenu(digital);
    bar->addMenu(function);

    QMenu* ae = addMenu(bar, "AEMode", "AE Mode",
                        {{"FullAuto", "Full Auto", Tick},
                         {"ShutterPriority", "ShutterPriority", Tick},
                         {"IrisPriority", "Iris Priority", Tick},
                         {"GainPriority", "Gain Priority", Tick},
                         {"Manual", "Manual", Tick},
                         {"Bright", "Bright", Tick},
                         {"ShutterAuto", "Shutter Auto", Tick},
                         {"IrisAuto", "Iris Auto", Tick},
                         {"GainAuto", "Gain Auto", Tick}});
    bar->addMenu(ae);
    action(QStringLiteral("GainPriority"))->setVisible(false);
    action(QStringLiteral("GainPriority"))->setEnabled(false);

    addBarItem(bar, "AESpotMode", "AE SPOT");

    QMenu* wb = addMenu(bar, "WBMode", "WB Mode",
                        {{"ATWPro", "Auto", Tick},
                         {"ATW", "ATW", Tick},
                         {"InDoor", "InDoor", Tick},
                         {"OutDoor", "OutDoor", Tick},
                         {"OnePushWB", "One Push WB", Tick},
                         {"ManualWB", "Manual WB", Tick}});
    bar->addMenu(wb);

    QMenu* display = addMenu(bar, "Display", "Display",
                             {{"DataScreen", "DataScreen", Tick},
                              {"SetTimeDate", "Set Time and Date"},
                              {"DateDisplay", "DateDisplay", Tick},
                              {"TimeDisplay", "TimeDisplay", Tick}});
    QMenu* title = addMenu(display, "Title", "Title",
                           {{"TitleOnOff", "Title On/Off", Tick}, {"TitleSet", "Title Set"}});
    display->addMenu(title);
    bar->addMenu(display);

    bar->addMenu(addMenu(bar, "Sync", "Sync",
                         {{"Internal", "Internal", Tick}, {"LineLock", "Line Lock", Tick}}));
    bar->addMenu(addMenu(bar, "FactorySetMenu", "Factory Set", {{"SettingMenu", "Setting Menu"}}));
    bar->addMenu(addMenu(bar, "PrivacyZone", "Privacy Zone", {{"SettingZones", "Setting Zones"}}));
    addBarItem(bar, "PrivacyAv", "PrivacyA");
    addBarItem(bar, "MotionDetecter", "Alarm");
    bar->addMenu(addMenu(bar, "VersionMenu", "Version", {{"version", "Version"}}));

    // Tools come last, after everything that talks to the camera.
    bar->addMenu(addMenu(bar, "M_Tools", "Tools", {{"TrafficView", "Decoded Traffic..."}, {"ComSetting", "Com Setting..."}, {"RemoteControl", "Remote Control..."}, {"Gamepad", "Gamepad..."}, {"KeyboardControl", "Keyboard Camera Control", Tick}}));
    action(QStringLiteral("TrafficView"))->setShortcut(QKeySequence(QStringLiteral("Ctrl+T")));
}

} // namespace peltro
