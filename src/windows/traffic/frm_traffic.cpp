#include "frm_traffic.h"

#include "window_support.h"
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
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableView>
#include <QVBoxLayout>

namespace peltro {

using namespace traffic;

FrmTraffic::FrmTraffic(WindowContext& context, Session& session)
    : QWidget(&context.main, Qt::Window), m_ctx(context), m_session(session)
{
    setObjectName(QStringLiteral("FrmTraffic"));
    setWindowTitle(QStringLiteral("Decoded Traffic"));
    closeOnEscape(*this);

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
    // The count and the save below the list: the filters' row alone stays
    // narrow enough for the room beside the main window on a small screen.
    auto* foot = new QHBoxLayout;
    foot->addWidget(count);
    foot->addSpacing(12);
    foot->addWidget(dropped);
    foot->addStretch();
    foot->addWidget(save);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(list);
    layout->addLayout(foot);
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
            m_ctx.messages.notify(QStringLiteral("Warning"),
                                     QStringLiteral("The traffic could not be saved to %1:\n%2").arg(path, error),
                                     QMessageBox::Warning);
        }
    });
    progress->setValue(0);
    job->start();
    return job;
}

QRect trafficPlace(const QRect& mainFrame, int menuBottom, const QSize& wanted, const QSize& least,
                   const QRect& area)
{
    auto fits = [&least](const QRect& room) {
        return room.width() >= least.width() && room.height() >= least.height();
    };
    const QRect right(QPoint(mainFrame.right() + 1, area.top()), area.bottomRight());
    const QRect left(area.topLeft(), QPoint(mainFrame.left() - 1, area.bottom()));
    const QRect below(QPoint(area.left(), mainFrame.bottom() + 1), area.bottomRight());
    QRect place(QPoint(), wanted);
    if (fits(right) || fits(left)) {
        // The roomier side where both would do: the wider the more columns show.
        const QRect& side = fits(right) && (!fits(left) || right.width() >= left.width()) ? right : left;
        place.setSize(wanted.boundedTo(side.size()));
        place.moveTop(qMax(side.top(), qMin(mainFrame.top(), side.bottom() + 1 - place.height())));
        place.moveLeft(&side == &right ? side.left() : side.right() + 1 - place.width());
    } else if (fits(below)) {
        place.setSize(wanted.boundedTo(below.size()));
        place.moveTop(below.top());
        place.moveLeft(qMax(below.left(), qMin(mainFrame.left(), below.right() + 1 - place.width())));
    } else {
        // No room beside it: over the main window, below its menu bar.
        const QRect under(QPoint(area.left(), qMax(area.top(), menuBottom + 1)), area.bottomRight());
        place.setSize(wanted.boundedTo(under.size()));
        place.moveTopLeft(QPoint(under.right() + 1 - place.width(), under.top()));
    }
    return place;
}

FrmTraffic* openTrafficView(WindowContext& context, Session& session)
{
    QWidget& main = context.main;
    auto* window = main.findChild<FrmTraffic*>(QStringLiteral("FrmTraffic"), Qt::FindDirectChildrenOnly);
    if (!window) {
        window = new FrmTraffic(context, session);
        if (const QScreen* screen = main.screen()) {
            // The frame the window system will put around it, as around the
            // main window: it is not known before the window is shown.
            const QMargins frame = frameMargins(main);
            const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
            const QMenuBar* menuBar = main.findChild<QMenuBar*>();
            const int menuBottom = menuBar ? menuBar->mapToGlobal(QPoint(0, menuBar->height() - 1)).y()
                                           : main.frameGeometry().top();
            const QRect place = trafficPlace(main.frameGeometry(), menuBottom, window->size() + extra,
                                             window->minimumSizeHint().expandedTo(FrmTraffic::kLeastSize) + extra,
                                             screen->availableGeometry());
            window->resize(place.size() - extra);
            window->move(place.topLeft());
        }
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

} // namespace peltro
