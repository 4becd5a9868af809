#include <QApplication>

#include "gui/app/startup.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    return insel::gui::RunEditor(argc, argv);
}
