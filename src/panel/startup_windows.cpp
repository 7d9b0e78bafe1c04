#include "startup_windows.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QThread>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace peltro {

FrmInfo::FrmInfo(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmInfo"));
    setWindowTitle(QStringLiteral("Information"));
    auto* layout = new QVBoxLayout(this);
    lbTitle = new QLabel(QStringLiteral("Title"), this);
    lbTitle->setObjectName(QStringLiteral("LbTitle"));
    QFont f = lbTitle->font();
    f.setBold(true);
    lbTitle->setFont(f);
    lbSubtitle = new QLabel(QStringLiteral("SubTitle"), this);
    lbSubtitle->setObjectName(QStringLiteral("LbSubtitle"));
    lbSubtitle->setMinimumWidth(320);
    progressBar1 = new QProgressBar(this);
    progressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    progressBar1->setRange(0, 100);
    progressBar1->setValue(0);
    layout->addWidget(lbTitle);
    layout->addWidget(lbSubtitle);
    layout->addWidget(progressBar1);
}

void FrmInfo::setSubtitle(const QString& text)
{
    lbSubtitle->setText(text);
    repaintNow();
}

void FrmInfo::advance()
{
    if (progressBar1->value() < 100)
        progressBar1->setValue(progressBar1->value() + 1);
    repaintNow();
}

void FrmInfo::setProgress(int value)
{
    progressBar1->setValue(qBound(0, value, 100));
    repaintNow();
}

void FrmInfo::repaintNow()
{
    // Start-up returns to the event loop while it waits for the cameras,
    // which paints the window then.
    update();
}

void FrmInfo::showNow()
{
    show();
    raise();
}

FrmOpen::FrmOpen(std::function<ComDescription(int)> describe, QWidget* parent)
    : QWidget(parent, Qt::Window), m_describe(std::move(describe))
{
    setObjectName(QStringLiteral("FrmOpen"));
    setWindowTitle(QStringLiteral("Com Setting"));
    auto* layout = new QGridLayout(this);

    auto* label1 = new QLabel(QStringLiteral("Com Port"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    comList1 = new QComboBox(this);
    comList1->setObjectName(QStringLiteral("ComList1"));
    for (int i = 1; i <= 6; ++i)
        comList1->addItem(QStringLiteral("Com %1").arg(i));
    comList1->setCurrentIndex(0);
    lblDevice = new QLabel(this);
    lblDevice->setObjectName(QStringLiteral("LblDevice"));
    lblDevice->setMinimumWidth(220);

    comDevices = new QTreeWidget(this);
    comDevices->setObjectName(QStringLiteral("ComDevices"));
    comDevices->setColumnCount(ColumnCount);
    comDevices->setHeaderLabels({QStringLiteral("Com"), QStringLiteral("Device"),
                                 QStringLiteral("Name under /dev/serial/by-id"), QStringLiteral("Adapter"),
                                 QStringLiteral("Maker"), QStringLiteral("Serial number"),
                                 QStringLiteral("Does not open")});
    comDevices->setRootIsDecorated(false);
    comDevices->setUniformRowHeights(true);
    comDevices->setAllColumnsShowFocus(true);
    comDevices->setSelectionMode(QAbstractItemView::SingleSelection);
    for (int i = 1; i <= 6; ++i)
        new QTreeWidgetItem(comDevices, {QStringLiteral("Com %1").arg(i)});
    comDevices->setMinimumHeight(170);

    auto* frame1 = new QGroupBox(QStringLiteral("BaudRate"), this);
    frame1->setObjectName(QStringLiteral("Frame1"));
    auto* rates = new QVBoxLayout(frame1);
    obRate[0] = new QRadioButton(QStringLiteral(" 9600bps"), frame1);
    obRate[0]->setObjectName(QStringLiteral("OBrate_0"));
    obRate[1] = new QRadioButton(QStringLiteral(" 38400bps"), frame1);
    obRate[1]->setObjectName(QStringLiteral("OBrate_1"));
    obRate[0]->setChecked(true);
    rates->addWidget(obRate[0]);
    rates->addWidget(obRate[1]);

    command1 = new QPushButton(QStringLiteral("OK"), this);
    command1->setObjectName(QStringLiteral("Command1"));
    command1->setDefault(true);
    lblDBG0 = new QLabel(this);
    lblDBG0->setObjectName(QStringLiteral("LblDBG0"));
    lblRetry = new QLabel(this);
    lblRetry->setObjectName(QStringLiteral("LblRetry"));

    layout->addWidget(label1, 0, 0);
    layout->addWidget(comList1, 0, 1);
    layout->addWidget(lblDevice, 0, 2);
    layout->addWidget(comDevices, 1, 0, 1, 3);
    layout->addWidget(frame1, 2, 0, 1, 2);
    layout->addWidget(lblDBG0, 3, 0, 1, 3);
    layout->addWidget(lblRetry, 4, 0, 1, 2);
    layout->addWidget(command1, 4, 2, Qt::AlignRight);
    layout->setColumnStretch(2, 1);

    connect(comList1, &QComboBox::currentIndexChanged, this, &FrmOpen::showDevice);
    // A row picked in the table picks its Com.
    connect(comDevices, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item)
            comList1->setCurrentIndex(comDevices->indexOfTopLevelItem(item));
    });
    connect(command1, &QPushButton::clicked, this, [this] {
        m_confirming = true;
        hide();
        m_confirming = false;
        Q_EMIT confirmed();
    });
    refreshDevices();
}

void FrmOpen::offerCancel(int comPort, int baudRate)
{
    if (!cancel) {
        cancel = new QPushButton(QStringLiteral("Cancel"), this);
        cancel->setObjectName(QStringLiteral("Cancel"));
        static_cast<QGridLayout*>(layout())->addWidget(cancel, 4, 1, Qt::AlignRight);
        connect(cancel, &QPushButton::clicked, this, &QWidget::close);
    }
    comList1->setCurrentIndex(qBound(1, comPort, 6) - 1);
    obRate[baudRate == 38400 ? 1 : 0]->setChecked(true);
    lblDBG0->clear();
}

void FrmOpen::refreshDevices()
{
    for (int com = 1; com <= 6; ++com) {
        QTreeWidgetItem* row = comDevices->topLevelItem(com - 1);
        const ComDescription d = m_describe ? m_describe(com) : ComDescription{};
        const QString stable = d.stableName.isEmpty() ? QString() : QFileInfo(d.stableName).fileName();
        // The device node; a stable name that names nothing now stands in
        // its own column alone.
        QString node = d.location.isEmpty() ? d.device : d.location;
        if (d.device.isEmpty())
            node = QStringLiteral("no serial device");
        else if (d.location.isEmpty() && d.device == d.stableName)
            node.clear();
        row->setText(ColDevice, node);
        row->setText(ColStableName, stable);
        row->setText(ColAdapter, d.description);
        row->setText(ColMaker, d.manufacturer);
        row->setText(ColSerial, d.serialNumber);
        row->setText(ColProblem, d.problem);
        row->setForeground(ColProblem, QBrush(Qt::darkRed));
        for (int c = 0; c < ColumnCount; ++c)
            row->setToolTip(c, d.device.isEmpty() ? QString() : QStringLiteral("Com %1 opens %2").arg(com).arg(d.device));
    }
    // Wide enough for every column, as far as the screen allows.
    int width = 2 * comDevices->frameWidth() + 4;
    for (int c = 0; c < ColumnCount; ++c) {
        comDevices->resizeColumnToContents(c);
        width += comDevices->columnWidth(c);
    }
    comDevices->setMinimumWidth(qMin(width, 1100));
    showDevice();
}

int FrmOpen::selectedPort() const
{
    return comList1->currentIndex() + 1;
}

QString FrmOpen::selectedSpeed() const
{
    return obRate[1]->isChecked() ? QStringLiteral("38400") : QStringLiteral("9600");
}

void FrmOpen::showDevice()
{
    const ComDescription d = m_describe ? m_describe(selectedPort()) : ComDescription{};
    QString text = d.device.isEmpty() ? QStringLiteral("Com %1: no serial device").arg(selectedPort())
                                      : QStringLiteral("Com %1 opens %2").arg(selectedPort()).arg(d.device);
    if (!d.device.isEmpty() && !d.problem.isEmpty())
        text += QStringLiteral("\nDoes not open: %1").arg(d.problem);
    lblDevice->setText(text);
    comDevices->setCurrentItem(comDevices->topLevelItem(selectedPort() - 1));
}

void FrmOpen::closeEvent(QCloseEvent* event)
{
    event->accept();
    if (!m_confirming)
        Q_EMIT closedWithoutOk();
}

} // namespace peltro
