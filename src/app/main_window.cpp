#include "app/main_window.h"

#include "complaints/complaint_register_form.h"
#include "faults/site_fault_form.h"
#include "faults/sla_board_form.h"
#include "masterdata/engineer_form.h"
#include "masterdata/user_ap_status_form.h"
#include "onu/onu_configuration_form.h"
#include "provisioning/customer_record_form.h"
#include "provisioning/inner_vlan_form.h"
#include "provisioning/voice_ip_form.h"
#include "ui/action_policy.h"
#include "ui/screen_registry.h"
#include "ui/workstation_macs.h"

#include <QCloseEvent>
#include <QLinearGradient>
#include <QMdiArea>
#include <QMenuBar>
#include <QPainter>

namespace app {

namespace {

// The work area's background: a dark blue wash with the product's name,
// drawn to the area's size rather than shipped as a picture.
class WorkArea : public QMdiArea {
public:
    using QMdiArea::QMdiArea;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(viewport());
        const QRect area = viewport()->rect();
        QLinearGradient wash(area.topLeft(), area.bottomRight());
        wash.setColorAt(0, QColor(0x0b, 0x2a, 0x4a));
        wash.setColorAt(1, QColor(0x12, 0x5e, 0x8a));
        p.fillRect(area, wash);
        p.setPen(QColor(255, 255, 255, 40));
        QFont font = p.font();
        font.setPixelSize(qMax(24, area.height() / 8));
        font.setBold(true);
        p.setFont(font);
        p.drawText(area, Qt::AlignCenter, QStringLiteral("ZEL CRM"));
    }
};

} // namespace

MainWindow::MainWindow(core::AppContext& app, QList<MenuItem> items, QWidget* parent)
    : QMainWindow(parent)
    , m_app(app)
    , m_db(app.database)
    , m_area(new WorkArea(this)) {
    setObjectName(QStringLiteral("MDIForm1"));
    setWindowTitle(QStringLiteral("VUVA BROADBAND SERVICE"));
    m_area->setObjectName(QStringLiteral("mdiArea"));
    setCentralWidget(m_area);
    if (m_app.screens)
        m_app.screens->setArea(m_area);
    buildMenu(items);
}

void MainWindow::buildMenu(const QList<MenuItem>& items) {
    QMenu* menu = menuBar()->addMenu(QStringLiteral("OPEN"));
    menu->setObjectName(QStringLiteral("M"));
    for (const MenuItem& item : items) {
        QAction* action = menu->addAction(QString::fromLatin1(item.caption));
        action->setObjectName(QString::fromLatin1(item.name));
        action->setEnabled(bool(item.factory));
        if (!item.factory || !m_app.screens)
            continue;
        const QString screen = QString::fromLatin1(item.screen);
        const auto placement = item.child ? ui::ScreenRegistry::Placement::Child
                                          : ui::ScreenRegistry::Placement::TopLevel;
        const Factory factory = item.factory;
        connect(action, &QAction::triggered, this, [this, screen, placement, factory] {
            m_app.screens->open(
                screen, [this, factory] { return factory(m_app); }, placement);
        });
    }
}

QAction* MainWindow::menuAction(const QString& name) const {
    return findChild<QAction*>(name);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    releaseWorkstation();
    m_area->closeAllSubWindows();
    event->accept();
}

// Every account bound to this workstation's MAC is freed, whoever signed in.
void MainWindow::releaseWorkstation() {
    ui::stopOnError(m_app.dialogs, &m_db, [this] {
        m_db.open();
        const QString mac = ui::workstationMacOf(m_app.adapters, m_app.dialogs);
        m_db.execute(QStringLiteral("update crm set status='INACTIVE',MAC='NA' WHERE MAC=?"),
                     {db::text(mac)});
        m_db.close();
    });
}

namespace {

template <class Screen> QWidget* build(core::AppContext& app) {
    return new Screen(app);
}

} // namespace

QList<MainWindow::MenuItem> standardMenu() {
    return {
        {"M3", "COMPLAIN", "Form3", true, build<complaints::ComplaintRegisterForm>},
        {"m5", "ADD CUSTOMER", "Form1", true, build<provisioning::CustomerRecordForm>},
        {"m6", "Add Engineer", "Form7", false, build<masterdata::EngineerForm>},
        {"SLA", "SLA", "Form5", true, build<faults::SlaBoardForm>},
        {"m7", "BTS FAULT", "Form8", true, build<faults::SiteFaultForm>},
        {"M9", "AP AND USER STATUS", "Form15", true, build<masterdata::UserApStatusForm>},
        {"m8", "ONU CONFIGURATION", "Form9", true, build<onu::OnuConfigurationForm>},
        {"C3", "OLT INNER VLAN", "Form17", false, build<provisioning::InnerVlanForm>},
        {"C5", "VOICE IP", "Form18", false, build<provisioning::VoiceIpForm>},
    };
}

} // namespace app
