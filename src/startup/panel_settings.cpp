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

void PanelSettings::readPanTiltFlags(PanelState& state) const
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
    read("PTWindow", state.ptwShown);
    read("PTWSize", state.ptwLarge);
    read("PTWDocking", state.ptwDocked);
}

void PanelSettings::save(const std::optional<Placement>& placement, const PanelState& state)
{
    m_settings->beginGroup(kGroup);
    if (placement) {
        m_settings->setValue(QStringLiteral("MainLeft"), numberText(placement->left));
        m_settings->setValue(QStringLiteral("MainTop"), numberText(placement->top));
        m_settings->setValue(QStringLiteral("MainWidth"), numberText(placement->width));
        m_settings->setValue(QStringLiteral("MainHeight"), numberText(placement->height));
    }
    m_settings->setValue(QStringLiteral("CommPort"), QString::number(state.portNumber));
    m_settings->setValue(QStringLiteral("BPS"), state.speedText);
    m_settings->setValue(QStringLiteral("PTWindow"), boolText(state.ptwShown));
    m_settings->setValue(QStringLiteral("PTWSize"), boolText(state.ptwLarge));
    m_settings->setValue(QStringLiteral("PTWDocking"), boolText(state.ptwDocked));
    m_settings->endGroup();
    m_settings->sync();
}

RemoteAccess PanelSettings::readRemoteAccess() const
{
    RemoteAccess access;
    auto text = [this](const char* key) { return m_settings->value(kGroup + '/' + QLatin1String(key)).toString().trimmed(); };
    if (auto on = parseBool(text("RemoteControl")))
        access.on = *on;
    bool ok = false;
    const uint port = text("RemotePort").toUInt(&ok);
    if (ok && port >= 1 && port <= 65535)
        access.port = quint16(port);
    const QHostAddress bind(text("RemoteBind"));
    if (!bind.isNull())
        access.bind = bind.toString();
    // Written by hand with commas, the INI store reads the line as a list.
    const QVariant allowed = m_settings->value(kGroup + QStringLiteral("/RemoteAllowed"));
    const QString allowedText = allowed.typeId() == QMetaType::QStringList ? allowed.toStringList().join(QLatin1Char(' '))
                                                                             : allowed.toString();
    for (const QString& entry : splitAllowed(allowedText)) {
        if (!allowedEntryError(entry))
            access.allowed << entry;
    }
    return access;
}

void PanelSettings::saveRemoteAccess(const RemoteAccess& access)
{
    m_settings->beginGroup(kGroup);
    m_settings->setValue(QStringLiteral("RemoteControl"), boolText(access.on));
    m_settings->setValue(QStringLiteral("RemotePort"), QString::number(access.port));
    m_settings->setValue(QStringLiteral("RemoteBind"), access.bind);
    m_settings->setValue(QStringLiteral("RemoteAllowed"), access.allowed.join(QLatin1Char(' ')));
    m_settings->endGroup();
    m_settings->sync();
}

} // namespace peltro
