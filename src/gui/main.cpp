#include "gui/app/startup.h"

int main(int argc, char** argv) { return insel::gui::Main(argc, argv); }
