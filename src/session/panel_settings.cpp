#include "panel_settings.h"

#include <QLocale>
#include <cmath>

namespace peltro {

namespace {
const QString kGroup = QStringLiteral("Settings");

std::optional<double> readNumber(const QSettings& s, const QString& key)
{
    const QVariant v = s.value(kGroup + '/' + key);
    if (!v.isValid())
        return std::nullopt;
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) > 1e7)
        return std::nullopt;
    return d;
}
} // namespace

QString PanelSettings::applicationName()
{
    return QStringLiteral("PELTRO Panel");
}

PanelSettings::PanelSettings()
    : m_settings(std::make_unique<QSettings>(applicationName(), applicationName()))
{
}

PanelSettings::PanelSettings(const QString& iniFile)
    : m_settings(std::make_unique<QSettings>(iniFile, QSettings::IniFormat))
{
}

std::optional<bool> PanelSettings::parseBool(const QString& text)
{
    const QString t = text.trimmed();
    if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    bool ok = false;
    const int n = t.toInt(&ok);
    if (ok)
        return n != 0;
    return std::nullopt;
}

QString PanelSettings::numberText(double value)
{
    return QString::number(static_cast<double>(static_cast<float>(value)), 'g',
                           QLocale::FloatingPointShortest);
}

Placement PanelSettings::readPlacement() const
{
    Placement p;
    if (auto v = readNumber(*m_settings, QStringLiteral("MainLeft")))
        p.left = *v;
    if (auto v = readNumber(*m_settings, QStringLiteral("MainTop")))
        p.top = *v;
    if (auto v = readNumber(*m_settings, QStringLiteral("MainWidth")); v && *v > 0)
        p.width = *v;
    if (auto v = readNumber(*m_settings, QStringLiteral("MainHeight")); v && *v > 0)
        p.height = *v;
    return p;
}

void PanelSettings::readPanTiltFlags(PanTiltFlags& flags) const
{
    auto read = [this](const char* key, bool& flag) {
        const QVariant v = m_settings->value(kGroup + '/' + QLatin1String(key));
        if (!v.isValid()) {
            flag = true;
            return;
        }
        if (auto b = parseBool(v.toString()))
            flag = *b;
    };
    read("PTWindow", flags.shown);
    read("PTWSize", flags.large);
    read("PTWDocking", flags.docked);
}

QVariant PanelSettings::value(const QString& key, const QVariant& fallback) const
{
    return m_settings->value(kGroup + '/' + key, fallback);
}

void PanelSettings::setValue(const QString& key, const QVariant& value)
{
    m_settings->setValue(kGroup + '/' + key, value);
    m_settings->sync();
}

void PanelSettings::save(const std::optional<Placement>& placement, const PanTiltFlags& flags, const ComChoice& com)
{
    m_settings->beginGroup(kGroup);
    if (placement) {
        m_settings->setValue(QStringLiteral("MainLeft"), numberText(placement->left));
        m_settings->setValue(QStringLiteral("MainTop"), numberText(placement->top));
        m_settings->setValue(QStringLiteral("MainWidth"), numberText(placement->width));
        m_settings->setValue(QStringLiteral("MainHeight"), numberText(placement->height));
    }
    m_settings->setValue(QStringLiteral("CommPort"), QString::number(com.portNumber));
    m_settings->setValue(QStringLiteral("BPS"), com.speedText);
    m_settings->setValue(QStringLiteral("PTWindow"), boolText(flags.shown));
    m_settings->setValue(QStringLiteral("PTWSize"), boolText(flags.large));
    m_settings->setValue(QStringLiteral("PTWDocking"), boolText(flags.docked));
    m_settings->endGroup();
    m_settings->sync();
}

} // namespace peltro
