#pragma once

#include "catalogue.h"

#include <QByteArray>
#include <functional>
#include <optional>

namespace peltro {

class FrmMain;

// Adapts the main window to the camera: identifies the model from its version
// answer, fills the label lists per lens or model, and shows, hides, enables
// and disables the controls a model offers.
class PanelConfig {
public:
    explicit PanelConfig(FrmMain& main) : m(main) {}

    // The lists start-up builds before any model is known.
    void buildLabelTables();
    // Runs on an accepted version answer during start-up; advance moves the
    // start-up progress bar one step.
    void identifyModel(const QByteArray& version, const std::function<void()>& advance = {});

    void Opt10X();
    void Opt18X();
    void Opt25X();
    void OptP1();
    void OptP2();
    void OptP3();
    void DspP1();
    void DspP2();
    void DspP3();

    // The family's caption, icon and frames.
    void showQuorinFamily();
    void showTamiroFamily();

private:
    void applyBlockRow(const BlockModelRow& row);
    void applyPanTiltPanel(std::uint8_t model);
    // A slider's maximum for the model; none: the designed one.
    void setMaximum(const char* slider, std::optional<int> maximum = std::nullopt);

    FrmMain& m;
};

} // namespace peltro
