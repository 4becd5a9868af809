#include "gui/dialogs/about_box.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "core/app/version.h"

namespace insel::gui {
namespace {

QString MemoryText(std::optional<std::uint64_t> free_bytes) {
    return free_bytes ? QString::number(*free_bytes / (1024 * 1024)) + " MB" : QString("unbekannt");
}

// Where the journals of unsaved work are kept, so that a user can find them.
QString RecoveryLine() {
    return "Wiederherstellungsdateien: " +
           QDir(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation))
               .filePath("recovery");
}

QLabel* Line(const char* name, const QString& text) {
    auto* label = new QLabel(text);
    label->setObjectName(name);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

QString AboutText(std::optional<std::uint64_t> free_bytes) {
    return QString("Inseleditor\nVersion ") + kProgramVersion +
           "\n\nBetriebssystem: " + QSysInfo::prettyProductName() +
           "\nFreier Speicher: " + MemoryText(free_bytes) + "\n" + RecoveryLine();
}

TAboutBox::TAboutBox(std::optional<std::uint64_t> free_bytes, QWidget* parent)
    : QDialog(parent), text_(AboutText(free_bytes)) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    auto* column = new QVBoxLayout(this);
    QLabel* program = Line("ProductName", "Inseleditor");
    QFont bold = program->font();
    bold.setBold(true);
    bold.setPointSizeF(bold.pointSizeF() * 1.4);
    program->setFont(bold);
    column->addWidget(program);
    column->addWidget(Line("Version", QString("Version ") + kProgramVersion));
    column->addSpacing(8);
    column->addWidget(Line("OSLabel", "Betriebssystem: " + QSysInfo::prettyProductName()));
    column->addWidget(Line("MemoryLabel", "Freier Speicher: " + MemoryText(free_bytes)));
    column->addWidget(Line("RecoveryLabel", RecoveryLine()));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->button(QDialogButtonBox::Ok)->setObjectName("OKButton");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    column->addWidget(buttons);
}

}  // namespace insel::gui
