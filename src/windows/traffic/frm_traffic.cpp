#include "frm_traffic.h"

#include "frm_main.h"
#include "message_service.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace peltro {

using namespace traffic;

FrmTraffic::FrmTraffic(FrmMain& main, Session& session)
    : QWidget(&main, Qt::Window), m_main(main), m_session(session)
{
    setObjectName(QStringLiteral("FrmTraffic"));
    setWindowTitle(QStringLiteral("Decoded Traffic"));

    cameraFilter = new QComboBox(this);
    cameraFilter->setObjectName(QStringLiteral("TrafficCamera"));
    cameraFilter->addItem(QStringLiteral("All"), -1);
    for (int c = 1; c <= 7; ++c)
        cameraFilter->addItem(QString::number(c), c);
    kindFilter = new QComboBox(this);
    kindFilter->setObjectName(QStringLiteral("TrafficKind"));
    for (int k = 0; k < kCategoryCount; ++k)
        kindFilter->addItem(categoryText(Category(k)), k);
    follow = new QCheckBox(QStringLiteral("Follow"), this);
    follow->setObjectName(QStringLiteral("TrafficFollow"));
    follow->setChecked(true);
    count = new QLabel(this);
    count->setObjectName(QStringLiteral("TrafficCount"));
    save = new QPushButton(QStringLiteral("Save As..."), this);
    save->setObjectName(QStringLiteral("TrafficSave"));

    m_filter.setSourceModel(&m_session);
    list = new QTableView(this);
    list->setObjectName(QStringLiteral("TrafficList"));
    list->setModel(&m_filter);
    list->setSelectionBehavior(QAbstractItemView::SelectRows);
    list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list->setWordWrap(false);
    list->verticalHeader()->hide();
    list->verticalHeader()->setDefaultSectionSize(list->fontMetrics().height() + 4);
    list->horizontalHeader()->setStretchLastSection(true);
    list->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    const int digit = QFontMetrics(list->font()).horizontalAdvance(QLatin1Char('0'));
    list->setColumnWidth(Session::TimeColumn, 14 * digit);
    list->setColumnWidth(Session::DirectionColumn, 10 * digit);
    list->setColumnWidth(Session::CameraColumn, 7 * digit);
    list->setColumnWidth(Session::BytesColumn, 36 * digit);
    list->setColumnWidth(Session::KindColumn, 16 * digit);

    auto* bar = new QHBoxLayout;
    auto label = [this](const char* text, QWidget* buddy) {
        auto* l = new QLabel(QString::fromLatin1(text), this);
        l->setBuddy(buddy);
        return l;
    };
    bar->addWidget(label("&Camera:", cameraFilter));
    bar->addWidget(cameraFilter);
    bar->addSpacing(12);
    bar->addWidget(label("&Kind:", kindFilter));
    bar->addWidget(kindFilter);
    bar->addSpacing(12);
    bar->addWidget(follow);
    bar->addStretch();
    bar->addWidget(count);
    bar->addSpacing(12);
    bar->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(list);
    resize(110 * digit, 480);

    connect(cameraFilter, &QComboBox::currentIndexChanged, this, [this] {
        m_filter.setCamera(cameraFilter->currentData().toInt());
        showCount();
    });
    connect(kindFilter, &QComboBox::currentIndexChanged, this, [this] {
        m_filter.setCategory(Category(kindFilter->currentData().toInt()));
        showCount();
    });
    connect(&m_filter, &QAbstractItemModel::rowsInserted, this, [this] {
        if (follow->isChecked())
            list->scrollToBottom();
        showCount();
    });
    connect(follow, &QCheckBox::toggled, this, [this](bool on) {
        if (on)
            list->scrollToBottom();
    });
    connect(&m_session, &QAbstractItemModel::rowsInserted, this, [this] { showCount(); });
    connect(save, &QPushButton::clicked, this, &FrmTraffic::askWhereToSave);
    showCount();
    list->scrollToBottom();
}

void FrmTraffic::showCount()
{
    const int all = m_session.rowCount();
    const int shown = m_filter.rowCount();
    count->setText(shown == all ? QStringLiteral("%1 packets").arg(all)
                                : QStringLiteral("%1 of %2 packets").arg(shown).arg(all));
}

void FrmTraffic::askWhereToSave()
{
    // Opened without a nested event loop; the choice arrives as a signal.
    auto* dialog = new QFileDialog(this, QStringLiteral("Save As"), QString(),
                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    dialog->setObjectName(QStringLiteral("TrafficSaveDialog"));
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("txt"));
    dialog->selectFile(QStringLiteral("traffic.txt"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString& path) { saveTo(path); });
    dialog->open();
}

bool FrmTraffic::saveTo(const QString& path)
{
    QString error;
    if (m_session.saveTo(path, &error))
        return true;
    m_main.messages().notify(QStringLiteral("Warning"),
                             QStringLiteral("The traffic could not be saved to %1:\n%2").arg(path, error),
                             QMessageBox::Warning);
    return false;
}

FrmTraffic* openTrafficView(FrmMain& main, Session& session)
{
    auto* window = main.findChild<FrmTraffic*>(QStringLiteral("FrmTraffic"), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new FrmTraffic(main, session);
        window->move(main.frameGeometry().topRight() + QPoint(8, 0));
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void installTrafficView(FrmMain& main, Session& session)
{
    QObject::connect(main.action(QStringLiteral("TrafficView")), &QAction::triggered, &main,
                     [&main, &session] { openTrafficView(main, session); });
}

} // namespace peltro
