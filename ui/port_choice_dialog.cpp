#include "ui/port_choice_dialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/dialog_wait.h"
#include "ui/look.h"

namespace tovrel {
namespace {

constexpr int kShownRows = 8;

QString Line(const DetectedPort& port) {
    return ToQString(PortDescription(port)) + QStringLiteral("    ") + ToQString(port.device);
}

}  // namespace

int ChoosePortDevice(QWidget* parent, const QString& comport,
                     const std::vector<DetectedPort>& ports, const std::string& path) {
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("PortChoiceDialog"));
    dialog.setWindowTitle(QStringLiteral("Device for %1").arg(comport));
    dialog.setFont(FormFont());
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(
        ports.empty() ? QStringLiteral("No serial device found on this computer.")
                      : QStringLiteral("%1 opens the device chosen here:").arg(comport)));
    auto* list = new QListWidget;
    list->setObjectName(QStringLiteral("PortList"));
    for (const DetectedPort& port : ports) {
        auto* item = new QListWidgetItem(Line(port), list);
        item->setToolTip(ToQString(port.PathToKeep()));
        if (port.OpensAt(path)) list->setCurrentItem(item);
    }
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth() + 24);
    list->setMinimumHeight(list->sizeHintForRow(0) * kShownRows);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QPushButton* ok = buttons->button(QDialogButtonBox::Ok);
    ok->setEnabled(list->currentRow() >= 0);
    layout->addWidget(buttons);
    QObject::connect(list, &QListWidget::currentRowChanged, ok,
                     [ok](int row) { ok->setEnabled(row >= 0); });
    QObject::connect(list, &QListWidget::itemActivated, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    if (WaitForDialog(dialog, parent) != QDialog::Accepted) return -1;
    return list->currentRow();
}

}  // namespace tovrel
