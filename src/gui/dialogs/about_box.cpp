#include "gui/dialogs/about_box.h"

#include <QSysInfo>

namespace insel::gui {

QString AboutText(std::optional<std::uint64_t> free_bytes) {
    const QString memory =
        free_bytes ? QString::number(*free_bytes / (1024 * 1024)) + " MB" : QString("unbekannt");
    return "Inseleditor\n\n" + QString("Betriebssystem: ") + QSysInfo::prettyProductName() +
           "\nFreier Speicher: " + memory;
}

}  // namespace insel::gui
