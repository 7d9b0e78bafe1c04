#include "frm_traffic.h"

#include "frm_main.h"
#include "message_service.h"

#include <QAction>
#include <QDir>
#include <QProgressDialog>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
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
    dropped = new QLabel(this);
    dropped->setObjectName(QStringLiteral("TrafficDropped"));
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
    // Each column as wide as its longest usual text and the cell's margins.
    const QFontMetrics fm(list->font());
    auto fit = [&fm](const char* sample) { return fm.horizontalAdvance(QString::fromLatin1(sample)) + 2 * fm.averageCharWidth() + 8; };
    list->setColumnWidth(Session::TimeColumn, fit("00:00:00.000"));
    list->setColumnWidth(Session::DirectionColumn, fit("Received"));
    list->setColumnWidth(Session::CameraColumn, fit("Camera"));
    list->setColumnWidth(Session::KindColumn, fit("Broadcast returned"));
    list->setColumnWidth(Session::WhatColumn, fit("Answer to Expanded block inquiry"));
    // The bytes run longest (an answer of 16 bytes): last, taking the rest.
    list->horizontalHeader()->moveSection(Session::BytesColumn, Session::ColumnCount - 1);
    int width = fit("90 50 00 00 00 00 00 00 00 00 00 00 00 00 00 FF") + list->verticalScrollBar()->sizeHint().width() + 24;
    for (int c = 0; c < Session::ColumnCount; ++c)
        width += c == Session::BytesColumn ? 0 : list->columnWidth(c);

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
    bar->addWidget(dropped);
    bar->addSpacing(12);
    bar->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(list);
    resize(width, 34 * list->verticalHeader()->defaultSectionSize());

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
    // Rows dropped above the ones in sight: what is in sight stays there,
    // unless the list follows the newest row anyway.
    connect(&m_filter, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { m_leavingView = first == 0 ? last + 1 : 0; });
    connect(&m_filter, &QAbstractItemModel::rowsRemoved, this, [this] {
        QScrollBar* bar = list->verticalScrollBar();
        if (!follow->isChecked() && list->verticalScrollMode() == QAbstractItemView::ScrollPerItem)
            bar->setValue(qMax(0, bar->value() - m_leavingView));
        m_leavingView = 0;
    });
    connect(&m_session, &QAbstractItemModel::rowsInserted, this, [this] { showCount(); });
    connect(&m_session, &QAbstractItemModel::rowsRemoved, this, [this] { showCount(); });
    connect(&m_session, &Session::droppedChanged, this, [this] { showDropped(); });
    connect(save, &QPushButton::clicked, this, &FrmTraffic::askWhereToSave);
    showCount();
    showDropped();
    list->scrollToBottom();
}

void FrmTraffic::showCount()
{
    const int all = m_session.rowCount();
    const int shown = m_filter.rowCount();
    const QString rows = all == 1 ? QStringLiteral("row") : QStringLiteral("rows");
    count->setText(shown == all ? QStringLiteral("%1 %2").arg(all).arg(rows)
                                : QStringLiteral("%1 of %2 %3").arg(shown).arg(all).arg(rows));
}

void FrmTraffic::showDropped()
{
    const qint64 n = m_session.dropped();
    dropped->setText(n == 1 ? QStringLiteral("1 older row dropped") : QStringLiteral("%1 older rows dropped").arg(n));
    dropped->setToolTip(QStringLiteral("Only the newest %1 rows are kept.").arg(m_session.limit()));
    dropped->setHidden(n == 0);
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

SaveJob* FrmTraffic::saveTo(const QString& path)
{
    if (m_saving)
        return nullptr;
    auto* job = new SaveJob(m_session, path, this);
    m_saving = job;
    save->setEnabled(false);

    auto* progress = new QProgressDialog(
        QStringLiteral("Saving the traffic to %1...").arg(QDir::toNativeSeparators(path)), QStringLiteral("Cancel"),
        0, 1, this);
    progress->setObjectName(QStringLiteral("TrafficSaveProgress"));
    progress->setWindowTitle(QStringLiteral("Save As"));
    // Not modal: a modal progress dialog runs the event loop inside every
    // update, and the rest of the panel stays usable meanwhile anyway.
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(400);
    connect(progress, &QProgressDialog::canceled, job, &SaveJob::cancel);
    connect(job, &SaveJob::progress, progress, [progress](qint64 done, qint64 total) {
        progress->setMaximum(int(qMax<qint64>(total, 1)));
        progress->setValue(int(done));
    });
    connect(job, &SaveJob::finished, this, [this, job, progress, path](bool saved, const QString& error) {
        progress->deleteLater();
        job->deleteLater();
        m_saving = nullptr;
        save->setEnabled(true);
        if (!saved && !error.isEmpty()) {
            m_main.messages().notify(QStringLiteral("Warning"),
                                     QStringLiteral("The traffic could not be saved to %1:\n%2").arg(path, error),
                                     QMessageBox::Warning);
        }
    });
    progress->setValue(0);
    job->start();
    return job;
}

FrmTraffic* openTrafficView(FrmMain& main, Session& session)
{
    auto* window = main.findChild<FrmTraffic*>(QStringLiteral("FrmTraffic"), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new FrmTraffic(main, session);
        // Beside the main window, as far as the screen lets it.
        QPoint at = main.frameGeometry().topRight() + QPoint(8, 0);
        if (const QScreen* screen = main.screen()) {
            const QRect room = screen->availableGeometry();
            window->resize(qMin(window->width(), room.width()), qMin(window->height(), room.height()));
            at.setX(qMax(room.left(), qMin(at.x(), room.right() - window->width())));
            at.setY(qMax(room.top(), qMin(at.y(), room.bottom() - window->height())));
        }
        window->move(at);
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
