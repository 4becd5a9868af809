#include "gui/app/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDockWidget>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPalette>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>
#include <algorithm>
#include <array>
#include <new>
#include <utility>

#include "core/container/file_io.h"
#include "core/dialogs/new_island.h"
#include "core/display/legend.h"
#include "core/display/view.h"
#include "core/document/journal.h"
#include "core/errors.h"
#include "core/island/cities.h"
#include "core/island/island_list.h"
#include "core/island/loader.h"
#include "core/reports/export.h"
#include "core/tools/click_chain.h"
#include "core/tools/tool_frame.h"
#include "gui/app/controls.h"
#include "gui/app/page_chooser.h"
#include "gui/app/recovery.h"
#include "gui/dialogs/about_box.h"
#include "gui/dialogs/bitmap_form.h"
#include "gui/dialogs/building_form.h"
#include "gui/dialogs/insel_size_box.h"
#include "gui/display/map_canvas.h"
#include "gui/display/overview.h"
#include "gui/display/tool_frame.h"
#include "gui/tools/city_list_page.h"
#include "gui/tools/copy_buffer_page.h"
#include "gui/tools/fluss_page.h"
#include "gui/tools/gelaende_page.h"
#include "gui/tools/island_list_page.h"
#include "gui/tools/island_page.h"
#include "gui/tools/legend_page.h"
#include "gui/tools/line_drawing_page.h"
#include "gui/tools/mines_page.h"
#include "gui/tools/objects_page.h"
#include "gui/tools/rotation_page.h"
#include "gui/tools/save_page.h"
#include "gui/tools/settings_page.h"
#include "gui/tools/statistics_page.h"
#include "gui/tools/untergrund_page.h"
#include "platform/environment.h"
#include "platform/image_files.h"
#include "platform/memory_status.h"

namespace insel::gui {
namespace {

// The open dialog of one file kind of the menu "Insel laden".
struct OpenKind {
    FileKind file_kind;
    const char* folder;
    const char* filter;
};
OpenKind OpenKindOf(FileKind file_kind) {
    switch (file_kind) {
        case FileKind::Savegame:
            return {FileKind::Savegame, "SaveGames", "Savegames (*.sav)"};
        case FileKind::City:
            return {FileKind::City, "UserStuff", "Extracted cities (*.cty)"};
        case FileKind::Scenario:
            return {FileKind::Scenario, "Scenes", "Scenario files (*.sze)"};
        default:
            return {FileKind::Island, "Scenes/Islands", "Island (*.scp)"};
    }
}

// Line of MainIStrings -> control, in the order they are applied; controls the window does not
// have are passed over. Tab pages take the line as their tab caption.
constexpr std::pair<int, const char*> kInterfaceTexts[] = {
    {3, "Inselextrahieren1"},
    {4, "Inselladen1"},
    {5, "EigenesInselformatladen1"},
    {6, "ExtractFromSave"},
    {7, "NeueInsel"},
    {8, "Exit1"},
    {9, "FesteGFXBitmaps1"},
    {10, "GFXBitmapssetzen1"},
    {11, "ExtractFromSzen"},
    {12, "Info1"},
    {13, "About1"},
    {15, "Insel"},
    {16, "TeilPanel"},
    {17, "StaedtePanel"},
    {18, "InselTypLabel"},
    {19, "ElementePanel"},
    {20, "MinWhPanel"},
    {21, "AbbauPPanel"},
    {22, "TierPanel"},
    {23, "WasserAntPanel"},
    {24, "Versionlabel"},
    {25, "InselGrPanel"},
    {26, "FullIslandButton"},
    {27, "OversizeButton"},
    {29, "Label39"},
    {30, "RadioButton1"},
    {31, "RadioButton2"},
    {32, "UntergrundCheck"},
    {33, "RadioButton3"},
    {34, "RadioButton4"},
    {35, "Label10"},
    {36, "Label9"},
    {37, "Label17"},
    {38, "Label29"},
    {40, "HoehenStatistik"},
    {45, "WeitereStatistik"},
    {46, "SaveGFXStatButton"},
    {47, "DoItButton"},
    {48, "OhneLowCheck"},
    {49, "OhneRotCheck"},
    {50, "ClearGFXCheck"},
    {51, "GelaendeLabel"},
    {52, "SaveGelStatButton"},
    {55, "Minen"},
    {57, "MineSichtbarCheck"},
    {58, "Label22"},
    {59, "AbbauBox"},
    {60, "AbbauRadioGroup"},
    {65, "NeueMineButton"},
    {66, "KillMineButton"},
    {67, "Button4"},
    {68, "KillAbbauButton"},
    {69, "Button12"},
    {70, "TestMinenButton"},
    {71, "SaveMinenButton"},
    {75, "Speichern"},
    {76, "SaveInselButton"},
    {77, "WriteCtyButton"},
    {78, "WritexyButton"},
    {79, "DummyButton"},
    {85, "Gelaende"},
    {86, "AuswahlLabel"},
    {87, "WachstumLabel"},
    {88, "Label19"},
    {89, "Label21"},
    {90, "GelaendeEinbauButton"},
    {91, "PlantsOnlyCheck"},
    {92, "LoeschButton"},
    {93, "ClearallButton"},
    {94, "ShowLocation"},
    {95, "GelaendeAuflistenButton"},
    {96, "OrientCheck"},
    {97, "WhiteCheck"},
    {98, "FarbeButton"},
    {99, "Button7"},
    {100, "RandomLocation"},
    {101, "Label26"},
    {102, "Label31"},
    {103, "Label32"},
    {104, "RandomOriCheck"},
    {105, "RadioButton5"},
    {106, "OverwriteCheck"},
    {107, "DistributeButton"},
    {108, "KeepBox"},
    {109, "RedDistributeButton"},
    {110, "CleaBewTabsheet"},
    {111, "ClearBewuchsButton"},
    {112, "LoeschHeightLabel"},
    {113, "LoeschLabel"},
    {114, "UsefulOnlyCheck"},
    {115, "DistributedPanel"},
    {116, "NotUnderBox"},
    {117, "ClearShipsButton"},
    {118, "DeleteLabel"},
    {120, "Untergrund"},
    {121, "Label23"},
    {122, "RMBButton"},
    {123, "SingleEnterRadio"},
    {124, "RowEnterRadio"},
    {125, "ColumnEnterRadio"},
    {126, "GFXKeyLabel"},
    {127, "GFXCornerLabel"},
    {128, "GFXReplaceButton"},
    {129, "Label16"},
    {130, "GFXBackButton"},
    {131, "Button2"},
    {132, "Button5"},
    {133, "Button6"},
    {134, "GFXAuflistenButton"},
    {135, "White2Check"},
    {136, "HexSearchLabel"},
    {137, "BetterPicCheck"},
    {138, "Label18"},
    {139, "Label24"},
    {140, "FloodButton"},
    {142, "ReplaceIDButton"},
    {143, "BasisMuster"},
    {144, "UntergrundLabel"},
    {145, "ListeOrte"},
    {146, "Darstellung"},
    {155, "LineDrawing"},
    {155, "HoehenBox"},
    {156, "ProfilFLabel"},
    {157, "HeightLabel"},
    {158, "PenSizeLabel"},
    {159, "GapSizeLabel"},
    {160, "AussenRahmenButton"},
    {161, "ReplaceButton"},
    {162, "ClearBlockButton"},
    {163, "FillAreaButton"},
    {164, "TakeBlockButton"},
    {168, "ImageBox"},
    {169, "LoadImageButton"},
    {172, "CopyPlantsCheck"},
    {173, "CopyRocksCheck"},
    {174, "CopyZeroBox"},
    {175, "CopyBuffer"},
    {176, "ClearBufferButton"},
    {177, "TakeHeightCheck"},
    {178, "ZeroHeightCheck"},
    {179, "TakeGFXCheck"},
    {180, "TakeGelaendeCheck"},
    {181, "TakeFruchtCheck"},
    {182, "Button20"},
    {183, "Label27"},
    {184, "Label28"},
    {187, "KommentarLabel"},
    {188, "BereichButton"},
    {189, "BufferSpeichernButton"},
    {190, "BufferEinfuegenButton"},
    {191, "LoadBufButton"},
    {192, "TakeMinesCheck"},
    {193, "TakeAbbauCheck"},
    {195, "Objects"},
    {196, "ElementLabel"},
    {197, "OriButton"},
    {198, "ObjektLabel"},
    {199, "AbortButton"},
    {200, "CloseListButton"},
    {201, "StadtLabel"},
    {202, "maxEinwohnerButton"},
    {203, "ObjHoeheLabel"},
    {204, "Label45"},
    {205, "TiereCheck"},
    {206, "ObjectsCheck"},
    {207, "HauptKontorButton"},
    {208, "newtownname"},
    {209, "Label46"},
    {210, "NativeRadio"},
    {211, "VeniceRadio"},
    {212, "PirateRadio"},
    {213, "MonsterRadio"},
    {214, "InsertButton"},
    {215, "RemoveObjektButton"},
    {216, "AufraumButton"},
    {217, "FreeInsertButton"},
    {218, "FreeListButton"},
    {219, "StadtListButton"},
    {220, "InsertStadtBox"},
    {221, "RefreshCheckBox"},
    {222, "OfsetLeftLabel"},
    {223, "OfsetTopLabel"},
    {225, "ChangeHeightButton"},
    {226, "NumLinesLabel"},
    {227, "ClearPlantsCheck"},
    {228, "InsertListButton"},
    {229, "RemoveItemButton"},
    {265, "ShowItemsButton"},
    {230, "FlussSheet"},
    {231, "Label38"},
    {232, "Label35"},
    {233, "Label37"},
    {234, "Label36"},
    {235, "Label13"},
    {236, "Label12"},
    {237, "FlussButton"},
    {238, "RemRiverButton"},
    {239, "RemAllRiverButton"},
    {240, "TabSheet1"},
    {241, "Label3"},
    {242, "EZBCheck"},
    {243, "Label42"},
    {244, "ReloadButton"},
    {245, "SaveListButton"},
    {300, "SettingsSheet"},
    {301, "SettingLabel"},
    {302, "FillUntergrundCheck"},
    {303, "FillBewuchsCheck"},
    {304, "GrowthAdjustCheck"},
    {305, "ControlLabel"},
    {306, "OversizeButton"},
    {307, "WarnCheck"},
    {310, "RotationSheet"},
    {311, "RotateButton1"},
    {312, "AngleLabel"},
    {313, "SuggestedLabel"},
    {318, "EbenenLabel"},
    {319, "ApplyHeightShiftCheck"},
    {320, "ApplyGFXShiftCheck"},
    {321, "ApplyPlantsShiftCheck"},
    {322, "ApplyRockShiftCheck"},
};

// PageControl1's pages in order: name, caption until the interface texts apply, tag (ToolMode).
struct Page {
    const char* name;
    const char* caption;
    int tag;
};
constexpr Page kPages[] = {
    {"HoehenStatistik", "Höhenstatistik", 0},
    {"WeitereStatistik", "Mehr Statistik", 0},
    {"Minen", "Minen", 1},
    {"Speichern", "Speichern", 0},
    {"Gelaende", "Bewuchs", 2},
    {"Untergrund", "Untergrund", 3},
    {"LineDrawing", "Höhenprofil", 4},
    {"CopyBuffer", "Kopieren", 5},
    {"Objects", "Gebäude", 6},
    {"FlussSheet", "Fluss", 7},
    {"TabSheet1", "Stadtliste", 8},
    {"Insel", "Insel", 0},
    {"TabSheet2", "Inselliste", 9},
    {"SettingsSheet", "SettingsSheet", 0},
    {"RotationSheet", "RotationSheet", 0},
};

// The page's controls go into a scroll area inside the page, so a small window scrolls the
// page instead of squeezing its controls over each other. The page itself stays the tab.
void ScrollPageContent(QWidget* page) {
    QLayout* content_layout = page->layout();
    if (!content_layout) return;
    auto* content = new QWidget;
    content->setObjectName("PageContent");
    content->setLayout(content_layout);  // takes the layout and its widgets off the page
    auto* scroll = new QScrollArea;
    scroll->setObjectName("PageScroll");
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* wrap = new QVBoxLayout(page);
    wrap->setContentsMargins(0, 0, 0, 0);
    wrap->addWidget(scroll);
}

constexpr int kOverwriteQuestionLine = 308;

// Whatever a handler does, Updating is clear when it is over, and the hourglass a long
// operation showed is gone.
class UpdatingGuard {
  public:
    enum Mode { Clear, Busy };
    UpdatingGuard(bool& updating, Mode mode) : updating_(updating), busy_(mode == Busy) {
        if (!busy_) return;
        updating_ = true;
        QApplication::setOverrideCursor(Qt::WaitCursor);
    }
    ~UpdatingGuard() {
        if (busy_) QApplication::restoreOverrideCursor();
        updating_ = false;
    }
    UpdatingGuard(const UpdatingGuard&) = delete;
    UpdatingGuard& operator=(const UpdatingGuard&) = delete;

  private:
    bool& updating_;
    bool busy_;
};

// Scrolls the canvas where the window is smaller than it, but asks for room for all of it.
class CanvasArea : public QScrollArea {
  public:
    QSize sizeHint() const override { return maximumSize(); }
};

// Runs `work`; the text for the error box when it threw, else empty.
QString Attempt(const std::function<void()>& work) {
    try {
        work();
        return {};
    } catch (const Error& e) {
        return FromText(e.what());
    } catch (const std::bad_alloc&) {
        return QString::fromUtf8("Nicht genug Speicher für diesen Schritt.");
    } catch (const std::exception& e) {
        const QString what = FromText(e.what());
        return QString::fromUtf8("Unerwarteter Fehler: ") + (what.isEmpty() ? "?" : what);
    } catch (...) {
        return QString::fromUtf8("Unerwarteter Fehler.");
    }
}

}  // namespace

TInselZeichner::TInselZeichner(std::filesystem::path program_folder, Definitions definitions,
                               std::string game_path, QWidget* parent)
    : QMainWindow(parent),
      program_folder_(std::move(program_folder)),
      game_path_(std::move(game_path)) {
    setObjectName("TInselZeichner");
    editor_.updating = true;
    editor_.definitions = std::move(definitions);
    textures_ = std::make_unique<TextureCache>(program_folder_, platform::LoadPicture);
    bitmap_form_ = std::make_unique<TBitmapForm>(editor_, *textures_, program_folder_);
    connect(bitmap_form_.get(), &TBitmapForm::TexturesChanged, this, [this] {
        if (settings_.use_tile_bitmaps) RepaintCanvas();
    });
    raster_.Fill(0xFFFFFFFFu);

    confirm_exit = [this] {
        return QMessageBox::question(this, windowTitle(), "Really exit?",
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    show_message = [this](const QString& text, bool error) {
        if (error) {
            QMessageBox::critical(this, windowTitle(), text);
        } else {
            QMessageBox::information(this, windowTitle(), text);
        }
    };
    // The overwrite question is ours, so the dialog must not ask as well.
    choose_save_file = [this](const QString& filter, const QString& proposed_name) {
        return QFileDialog::getSaveFileName(this, QString(), proposed_name, filter, nullptr,
                                            QFileDialog::DontConfirmOverwrite);
    };
    confirm_overwrite = [this](const QString& question) {
        return QMessageBox::question(this, windowTitle(), question,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    };
    run_size_box = [](TInselSizeBox& box) { return box.exec(); };
    ask_save_changes = [this] {
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        QString::fromUtf8("Änderungen speichern?"),
                        QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
        box.setInformativeText(DocumentName());
        box.setDefaultButton(QMessageBox::Save);
        switch (box.exec()) {
            case QMessageBox::Save:
                return SaveAnswer::Save;
            case QMessageBox::Discard:
                return SaveAnswer::Discard;
            default:
                return SaveAnswer::Cancel;
        }
    };

    choose_colour = [this](const QColor& initial) { return QColorDialog::getColor(initial, this); };

    choose_open_file = [this](const QString& filter, const QString& folder) {
        return QFileDialog::getOpenFileName(this, QString(), folder, filter);
    };
    run_about_box = [](TAboutBox& box) { box.exec(); };
    ask_recovery = [this](const QString& text, bool can_recover) {
        QMessageBox box(QMessageBox::Question, windowTitle(),
                        QString::fromUtf8("Ungespeicherte Änderungen wiederherstellen?"),
                        QMessageBox::NoButton, this);
        box.setInformativeText(text);
        QPushButton* recover =
            can_recover ? box.addButton("Wiederherstellen", QMessageBox::AcceptRole) : nullptr;
        QPushButton* discard = box.addButton("Verwerfen", QMessageBox::DestructiveRole);
        QPushButton* later = box.addButton(QString::fromUtf8("Später"), QMessageBox::RejectRole);
        box.setDefaultButton(recover ? recover : later);
        box.setEscapeButton(later);
        box.exec();
        if (recover && box.clickedButton() == recover) return RecoveryAnswer::Recover;
        return box.clickedButton() == discard ? RecoveryAnswer::Discard : RecoveryAnswer::Later;
    };

    setWindowTitle("Inseleditor");
    BuildMenu();

    // Left: the canvas, scrolled where the window is smaller than it, over the navigation
    // and display controls. Right: the island's figures and the selection over the pages.
    auto* central = new QWidget;
    auto* sides = new QHBoxLayout(central);
    sides->setContentsMargins(6, 6, 6, 6);
    sides->setSpacing(6);
    auto* left = new QWidget;
    left->setObjectName("CanvasColumn");
    auto* column = new QVBoxLayout(left);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(6);
    column->addWidget(BuildCanvasArea(), 1);
    auto* controls = new QHBoxLayout;
    controls->setSpacing(6);
    controls->addWidget(BuildNavigation(), 0, Qt::AlignTop);
    controls->addWidget(BuildLayers(), 0, Qt::AlignTop);
    controls->addStretch(1);
    column->addLayout(controls);
    // Beyond the whole canvas, more width goes to the pages.
    left->setMaximumWidth(canvas_area_->maximumWidth());
    sides->addWidget(left, 1);

    auto* right = new QVBoxLayout;
    right->setSpacing(6);
    auto* figures = new QHBoxLayout;
    figures->setSpacing(6);
    figures->addWidget(BuildStatus(), 1);
    figures->addWidget(BuildSelection(), 0);
    right->addLayout(figures);
    QTabWidget* pages = BuildPages();
    page_chooser_ = new PageChooser(pages);
    right->addWidget(page_chooser_);
    right->addWidget(pages, 1);
    // The canvas takes the room first; the pages grow once it is whole.
    sides->addLayout(right, 0);
    setCentralWidget(central);
    // After the columns, so that it comes last in the focus chain.
    BuildHistoryDock();
    BuildPageKeys();

    editor_.view.zoom_cell_size = 16;
    QSpinBox* limit_spin = settings_page_->HistoryLimitSpin();
    limit_spin->setValue(platform::HistoryLimitMegabytes());
    // Not ApplyHistoryLimit: the title is not set up yet.
    editor_.history.SetLimit(static_cast<std::size_t>(limit_spin->value()) << 20);
    connect(limit_spin, &QSpinBox::valueChanged, this, [this](int megabytes) {
        platform::SetHistoryLimitMegabytes(megabytes);
        ApplyHistoryLimit(megabytes);
    });
    SyncControls();
    setAcceptDrops(true);
    editor_.updating = false;
    base_title_ = windowTitle();
    ShowHistory();
}

TInselZeichner::~TInselZeichner() {
    if (!journal_) return;
    editor_.AttachJournal(nullptr);
    // Writes what is still queued: unsaved work nobody was asked about stays recoverable.
    journal_.reset();
    if (!editor_.Unsaved() || changes_dropped_) {
        std::error_code ignored;
        std::filesystem::remove(journal_slot_->path(), ignored);
    }
}

void TInselZeichner::KeepJournalIn(const std::filesystem::path& folder) {
    if (journal_ || folder.empty()) return;
    journal_slot_ = std::make_unique<JournalSlot>(folder);
    if (!journal_slot_->locked()) {
        // Without the lock another editor could take the journal for one left behind.
        editor_.status.memo2.push_back(
            "Wiederherstellungsdatei: " + journal_slot_->path().string() +
            " kann nicht angelegt werden; ohne Wiederherstellung");
        journal_slot_.reset();
        return;
    }
    journal_ = std::make_unique<Journal>(journal_slot_->path());
    editor_.AttachJournal(journal_.get());
}

std::filesystem::path TInselZeichner::JournalPath() const {
    return journal_slot_ ? journal_slot_->path() : std::filesystem::path();
}

void TInselZeichner::ApplyHistoryLimit(int megabytes) {
    editor_.history.SetLimit(static_cast<std::size_t>(megabytes) << 20);
    ShowHistory();
}

void TInselZeichner::OfferRecovery() {
    if (!journal_slot_) return;
    for (LeftJournal& left :
         FindLeftJournals(journal_slot_->path().parent_path(), journal_slot_->path())) {
        const QString journal_name = QString::fromStdString(left.path.string());
        const QByteArray bytes = [&] {
            QFile file(journal_name);
            return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
        }();
        QString text;
        bool can_recover = false;
        try {
            const JournalSummary summary = ReadJournalSummary(
                std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                          static_cast<std::size_t>(bytes.size())));
            const QString path = QString::fromUtf8(summary.origin.path);
            const QString when =
                QLocale().toString(QFileInfo(journal_name).lastModified(), QLocale::ShortFormat);
            text =
                QString::fromUtf8("Datei: %1\nPfad: %2\nZuletzt geändert: %3\nSchritte: %4")
                    .arg(FromGameText(summary.file_name),
                         path.isEmpty() ? QString::fromUtf8("(neue Insel, nie gespeichert)") : path,
                         when)
                    .arg(summary.steps);
            can_recover = !summary.origin_changed;
            if (summary.origin_changed) {
                text += QString::fromUtf8(
                    "\n\nDie Datei wurde seitdem geändert oder ist nicht mehr da. Die Änderungen "
                    "lassen sich nicht auf sie anwenden.");
            }
        } catch (const JournalVersionError&) {
            text = QString::fromUtf8(
                       "Die Wiederherstellungsdatei %1 stammt von einer anderen Version des "
                       "Editors und lässt sich mit dieser nicht verwenden.")
                       .arg(journal_name);
        } catch (const std::exception& e) {
            text = QString::fromUtf8(
                       "Die Wiederherstellungsdatei %1 ist beschädigt und lässt sich "
                       "nicht verwenden:\n%2")
                       .arg(journal_name, FromText(e.what()));
        }
        switch (ask_recovery(text, can_recover)) {
            case RecoveryAnswer::Recover:
                // Another journal recovered before would be replaced: asked about like a load.
                if (can_recover && MayDropChanges()) RecoverFrom(left.path);
                break;
            case RecoveryAnswer::Discard: {
                std::error_code ignored;
                std::filesystem::remove(left.path, ignored);
                break;
            }
            case RecoveryAnswer::Later:
                break;
        }
        // Its lock goes with `left`.
    }
}

bool TInselZeichner::RecoverFrom(const std::filesystem::path& journal) {
    QFile file(QString::fromStdString(journal.string()));
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    JournalSummary summary;
    if (!RunLong([&] {
            summary = RecoverJournal(
                editor_, std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())));
        })) {
        return false;
    }
    editor_.tools.ResetForNewIsland();
    for (LayerShift& shift : editor_.save.shifts) shift.apply = false;
    // The panels show the recovered island as a load shows a file's.
    const Document& doc = editor_.doc;
    LoadSummary shown;
    shown.file_size = doc.file_size;
    shown.addon_level = doc.addon_level;
    shown.name = doc.file_name;
    shown.cities = static_cast<std::int64_t>(doc.city_list.size());
    shown.island = {doc.island.record.width,
                    doc.island.record.height,
                    doc.island.cell_block_count,
                    static_cast<std::int64_t>(doc.island.quarry_spots.size()),
                    static_cast<std::int64_t>(doc.island.mines.size()),
                    static_cast<std::int64_t>(doc.island.objects.size()),
                    static_cast<std::int64_t>(doc.island.animals.size())};
    editor_.status.ShowLoadSummary(shown);
    document_path_ = std::filesystem::path(summary.origin.path);
    // The work goes on in this editor's own journal, which holds it before the recovered
    // file goes.
    editor_.AttachJournal(journal_.get());
    journal_->SetOrigin(summary.origin);
    journal_->Starting(editor_.doc);
    try {
        journal_->Flush();
        std::error_code ignored;
        std::filesystem::remove(journal, ignored);
    } catch (const std::exception& e) {
        editor_.status.memo2.push_back(std::string("Wiederherstellungsdatei: ") + e.what());
    }
    page_control_->setCurrentWidget(island_page_);
    PreparePages();
    bitmap_form_->InselStatButtonClick();
    ShowNewIsland();
    return true;
}

void TInselZeichner::BuildMenu() {
    QMenu* load = menuBar()->addMenu("Insel laden");
    load->setObjectName("Inselextrahieren1");
    const std::array<std::pair<const char*, FileKind>, 4> items = {{
        {"Inselladen1", FileKind::Island},
        {"EigenesInselformatladen1", FileKind::City},
        {"ExtractFromSave", FileKind::Savegame},
        {"ExtractFromSzen", FileKind::Scenario},
    }};
    const std::array<const char*, 4> captions = {
        "KelmGame Inselfile *.scp laden", "Eigenes Inselformat *.cty laden",
        "Extract island from savegame", "Extract island from scenario"};
    for (std::size_t i = 0; i < items.size(); ++i) {
        QAction* action = load->addAction(captions[i]);
        action->setParent(this);
        action->setObjectName(items[i].first);
        const FileKind kind = items[i].second;
        connect(action, &QAction::triggered, this, [this, kind] { InselladenClick(kind); });
    }
    QAction* new_island = load->addAction("Neue Insel generieren");
    new_island->setParent(this);
    new_island->setObjectName("NeueInsel");
    connect(new_island, &QAction::triggered, this, [this] { NeueInselClick(); });
    load->addSeparator();
    QAction* exit = load->addAction("Exit");
    exit->setParent(this);
    exit->setObjectName("Exit1");
    connect(exit, &QAction::triggered, this, &QWidget::close);

    BuildEditMenu();

    QMenu* textures = menuBar()->addMenu("Feste GFX Bitmaps");
    textures->setObjectName("FesteGFXBitmaps1");
    QAction* preload = textures->addAction("GFX Bitmaps setzen");
    preload->setParent(this);
    preload->setObjectName("GFXBitmapssetzen1");
    connect(preload, &QAction::triggered, this, [this] { GFXBitmapssetzen1Click(); });

    QMenu* info = menuBar()->addMenu("?");
    info->setObjectName("Info1");
    QAction* about = info->addAction("About..");
    about->setParent(this);
    about->setObjectName("About1");
    connect(about, &QAction::triggered, this, [this] { About1Click(); });
}

void TInselZeichner::BuildEditMenu() {
    QMenu* edit = menuBar()->addMenu("Bearbeiten");
    edit->setObjectName("Bearbeiten1");
    undo_action_ = edit->addAction(QString::fromUtf8("Rückgängig"));
    undo_action_->setParent(this);
    undo_action_->setObjectName("Undo1");
    undo_action_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    connect(undo_action_, &QAction::triggered, this, [this] { UndoClick(); });
    redo_action_ = edit->addAction("Wiederherstellen");
    redo_action_->setParent(this);
    redo_action_->setObjectName("Redo1");
    redo_action_->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    connect(redo_action_, &QAction::triggered, this, [this] { RedoClick(); });
    // The keys work wherever the focus is in the window, menu bar or not.
    addAction(undo_action_);
    addAction(redo_action_);
    edit->addSeparator();
}

void TInselZeichner::BuildHistoryDock() {
    history_dock_ = new QDockWidget("Verlauf", this);
    history_dock_->setObjectName("HistoryDock");
    history_list_ = new QListWidget;
    history_list_->setObjectName("HistoryList");
    history_list_->setSelectionMode(QAbstractItemView::SingleSelection);
    history_list_->setMinimumWidth(100);
    connect(history_list_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) GoToHistory(static_cast<std::size_t>(row));
    });
    history_dock_->setWidget(history_list_);
    QAction* show_history = history_dock_->toggleViewAction();
    show_history->setText("Verlauf anzeigen");
    show_history->setObjectName("ShowHistory1");
    menuBar()->findChild<QMenu*>("Bearbeiten1")->addAction(show_history);
    // Beside the columns where the screen has room for it; on a small screen under them,
    // where it takes the canvas some height instead of pushing the window past the screen.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const int room = screen ? screen->availableGeometry().width() : 0;
    const int width = 200;
    const bool beside = room >= centralWidget()->minimumSizeHint().width() + width + 40;
    addDockWidget(beside ? Qt::RightDockWidgetArea : Qt::BottomDockWidgetArea, history_dock_);
    if (beside) {
        resizeDocks({history_dock_}, {width}, Qt::Horizontal);
    } else {
        resizeDocks({history_dock_}, {110}, Qt::Vertical);
    }
}

void TInselZeichner::UndoClick() {
    if (editor_.history.CanUndo()) GoToHistory(editor_.history.position() - 1);
}

void TInselZeichner::RedoClick() {
    if (editor_.history.CanRedo()) GoToHistory(editor_.history.position() + 1);
}

void TInselZeichner::GoToHistory(std::size_t position) {
    if (editor_.updating || !editor_.doc.loaded || position == editor_.history.position() ||
        position > editor_.history.size()) {
        ShowHistory();
        return;
    }
    RunLong([&] { editor_.history.GoTo(editor_.doc, position); });
    // Even a failure halfway leaves the document at some step, which is what is shown.
    ShowDocument();
}

void TInselZeichner::ShowDocument() {
    ClearReadouts();
    const IslandRecord& record = editor_.doc.island.record;
    if (std::pair<int, int>{record.width, record.height} != shown_size_) {
        ResetView(editor_.view, editor_.doc.island, editor_.status);
        shown_size_ = {record.width, record.height};
    } else if (editor_.view.part_index < 0) {
        // The whole island again, and its water share.
        ShowWholeIsland(editor_.view, editor_.doc.island, editor_.status);
    }
    UpdateLegend(editor_.view.part_index < 0);
    if (editor_.doc.file_kind != FileKind::Savegame) {
        const CityRecord* city = editor_.doc.cities.Current();
        editor_.status.city_number = city ? std::to_string(city->number) : std::string();
    }
    RedrawOverview();
    SyncControls();
    objects_page_->ShowWarehouseKind();
    city_page_->FillCities();
    island_list_page_->FillIslands();
    Refresh();
}

void TInselZeichner::ShowHistory() {
    if (!undo_action_ || !history_list_) return;
    const History& history = editor_.history;
    undo_action_->setEnabled(history.CanUndo());
    undo_action_->setText(QString::fromUtf8(history.CanUndo() ? "Rückgängig: " : "Rückgängig") +
                          QString::fromUtf8(history.UndoName()));
    redo_action_->setEnabled(history.CanRedo());
    redo_action_->setText(QString(history.CanRedo() ? "Wiederherstellen: " : "Wiederherstellen") +
                          QString::fromUtf8(history.RedoName()));
    UpdateTitle();

    // Runs after every handler: only rows that differ are touched.
    const int rows = editor_.doc.loaded ? static_cast<int>(history.size()) + 1 : 0;
    const int position = static_cast<int>(history.position());
    const QSignalBlocker blocker(history_list_);
    while (history_list_->count() > rows)
        delete history_list_->takeItem(history_list_->count() - 1);
    while (history_list_->count() < rows) history_list_->addItem(QString());
    const QBrush greyed = history_list_->palette().brush(QPalette::Disabled, QPalette::Text);
    for (int i = 0; i < rows; ++i) {
        QListWidgetItem* item = history_list_->item(i);
        const QString text =
            i == 0 ? QString::fromUtf8("Geöffnet")
                   : QString::fromUtf8(history.StepName(static_cast<std::size_t>(i - 1)));
        if (item->text() != text) item->setText(text);
        // Steps that can be redone are greyed and slanted.
        const bool ahead = i > position;
        if (item->font().italic() != ahead) {
            QFont font = item->font();
            font.setItalic(ahead);
            item->setFont(font);
            item->setForeground(ahead ? greyed : QBrush());
        }
    }
    if (rows > 0 && history_list_->currentRow() != position) {
        history_list_->setCurrentRow(position);
        history_list_->scrollToItem(history_list_->item(position));
    }
}

QString TInselZeichner::DocumentName() const {
    // The file last loaded or saved; a new island has none yet and shows its name.
    return document_path_.empty() ? FromGameText(editor_.doc.file_name)
                                  : QString::fromStdString(document_path_.filename().string());
}

void TInselZeichner::UpdateTitle() {
    QString title = base_title_;
    if (editor_.doc.loaded) {
        title += " - " + DocumentName();
        if (editor_.Unsaved()) title += " *";
    }
    if (windowTitle() != title) setWindowTitle(title);
}

bool TInselZeichner::MayDropChanges() {
    if (!editor_.Unsaved()) return true;
    switch (ask_save_changes()) {
        case SaveAnswer::Discard:
            return true;
        case SaveAnswer::Save:
            // An extracted-city file is saved as one; every other kind as an island file. A
            // cancelled or failed save keeps everything as it is.
            return save_page_->Save(editor_.doc.file_kind == FileKind::City ? 1 : 0) &&
                   !editor_.Unsaved();
        case SaveAnswer::Cancel:
            break;
    }
    return false;
}

void TInselZeichner::DocumentSavedAs(const std::filesystem::path& path) {
    document_path_ = path;
    ShowHistory();
}

void TInselZeichner::NeueInselClick() {
    if (editor_.updating) return;
    // No parent: the dialog's controls must not be found among the window's own by name.
    TInselSizeBox box(editor_.definitions);
    // The island is only replaced once the user said OK; closing the dialog keeps it.
    if (run_size_box(box) != QDialog::Accepted || !MayDropChanges()) return;
    RunHandler([this, &box] {
        editor_.MakeNewIsland(box.Size(), box.Climate());
        document_path_.clear();
        PreparePages();
        ShowNewIsland();
        return false;
    });
}

void TInselZeichner::About1Click() {
    TAboutBox box(platform::AvailableSystemMemory(), this);
    run_about_box(box);
}

QWidget* TInselZeichner::BuildCanvasArea() {
    canvas_ = new MapCanvas(raster_);
    canvas_->on_mouse_move = [this](int px, int py) { FlickerFreePaintBox2MouseMove(px, py); };
    canvas_->on_press = [this](int px, int py) {
        // The click acts on the cell under the mouse; a press tells where that is even when
        // no move came before it (a file dropped on the canvas, say).
        FlickerFreePaintBox2MouseMove(px, py);
        FlickerFreePaintBox2MouseDown(px, py);
    };
    canvas_->on_click = [this] { FlickerFreePaintBox2Click(); };
    canvas_->on_release = [this] { EndPenStroke(editor_.tools); };
    BuildToolFrame();

    canvas_area_ = new CanvasArea;
    canvas_area_->setObjectName("CanvasArea");
    canvas_area_->setWidget(canvas_);
    canvas_area_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    canvas_area_->setMinimumSize(160, 120);
    const int frame = 2 * canvas_area_->frameWidth();
    canvas_area_->setMaximumSize(canvas_->width() + frame, canvas_->height() + frame);
    return canvas_area_;
}

void TInselZeichner::BuildPageKeys() {
    auto* next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), this);
    next->setObjectName("NextPageKey");
    connect(next, &QShortcut::activated, this, [this] { page_chooser_->Step(1); });
    auto* previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), this);
    previous->setObjectName("PreviousPageKey");
    connect(previous, &QShortcut::activated, this, [this] { page_chooser_->Step(-1); });
}

QString TInselZeichner::OpenDialogFolder(const std::string& game_path, FileKind file_kind) {
    namespace fs = std::filesystem;
    const fs::path base = game_path.empty() ? fs::path(".") : fs::path(game_path);
    std::error_code error;
    for (const fs::path& folder : {base / OpenKindOf(file_kind).folder, base}) {
        if (fs::is_directory(folder, error)) {
            const fs::path absolute = fs::absolute(folder, error);
            return QString::fromStdString((error ? folder : absolute).lexically_normal().string());
        }
    }
    return {};
}

void TInselZeichner::ClearReadouts() {
    Status& s = editor_.status;
    for (std::string* readout :
         {&s.mouse_x, &s.mouse_y, &s.mouse_hex_x, &s.mouse_hex_y, &s.cell_height_value,
          &s.cell_tile, &s.cell_terrain, &s.cell_fertility, &s.pixel_x, &s.pixel_y, &s.frame_x,
          &s.frame_y, &s.object_height})
        readout->clear();
}

void TInselZeichner::GFXBitmapssetzen1Click() {
    bitmap_form_->show();
    bitmap_form_->raise();
    bitmap_form_->activateWindow();
}

QWidget* TInselZeichner::BuildNavigation() {
    auto* box = new QGroupBox;
    box->setObjectName("NavigationBox");
    auto* row = new QHBoxLayout(box);

    part_panel_ = new QFrame;
    part_panel_->setObjectName("PartPanel");
    part_panel_->setFixedSize(kOverviewSide, kOverviewSide);
    mini_image_ = new OverviewImage(part_panel_);
    mini_image_->move(0, 0);
    mini_image_->on_release = [this](int x, int y) {
        RunHandler([this, x, y] {
            const bool acted = ShowPartAt(editor_.view, editor_.doc.island, editor_.status, x, y);
            if (acted) UpdateLegend(false);
            return acted;
        });
    };
    part_frame_ = new QFrame(part_panel_);
    part_frame_->setObjectName("PartFrame");
    part_frame_->setStyleSheet(
        "QFrame#PartFrame { border: 1px solid white; background: transparent; }");
    part_frame_->setAttribute(Qt::WA_TransparentForMouseEvents);
    part_frame_->setFocusPolicy(Qt::NoFocus);
    part_frame_->setGeometry(2, 2, 12, 12);
    part_frame_->hide();
    row->addWidget(part_panel_, 0, Qt::AlignTop);

    auto* side = new QVBoxLayout;
    side->setSpacing(2);
    auto* full = new QPushButton("Voll");
    full->setObjectName("FullIslandButton");
    connect(full, &QPushButton::clicked, this, [this] {
        RunHandler([this] {
            const bool acted = ShowWholeIsland(editor_.view, editor_.doc.island, editor_.status);
            if (acted) UpdateLegend(true);
            return acted;
        });
    });
    side->addWidget(full);
    oversize_button_ = new QPushButton("Oversize");
    oversize_button_->setObjectName("OversizeButton");
    oversize_button_->setToolTip("Obere / untere 512 Zeilen einer hohen Insel");
    connect(oversize_button_, &QPushButton::clicked, this, [this] {
        RunHandler([this] {
            const bool acted = ToggleOversizeHalf(editor_.view, editor_.doc.island, editor_.status);
            if (acted) UpdateLegend(false);
            return acted;
        });
    });
    side->addWidget(oversize_button_);

    zoom_group_ = new QButtonGroup(this);
    const std::array<std::pair<const char*, int>, 4> zooms = {
        {{"RadioButton12", 42}, {"Zoom3Radio", 32}, {"Zoom1Radio", 16}, {"Zoom2Radio", 8}}};
    const std::array<const char*, 4> zoom_captions = {"  24 * 12", "  32 * 16", "  64 * 32",
                                                      "128 * 64"};
    for (std::size_t i = 0; i < zooms.size(); ++i) {
        auto* radio = new QRadioButton(zoom_captions[i]);
        radio->setObjectName(zooms[i].first);
        radio->setProperty("tag", zooms[i].second);
        zoom_group_->addButton(radio, zooms[i].second);
        side->addWidget(radio);
    }
    connect(zoom_group_, &QButtonGroup::idClicked, this, [this](int tag) {
        RunHandler([this, tag] {
            const bool acted = SetZoom(editor_.view, editor_.doc.island, editor_.status, tag);
            if (acted) UpdateLegend(false);
            return acted;
        });
    });

    // The arrows move the origin one cell; the canvas repaints whether it moved or not.
    auto* arrows = new QGridLayout;
    arrows->setSpacing(2);
    struct Arrow {
        const char* name;
        Qt::ArrowType type;
        int dx, dy;
        int row, column;
    };
    const std::array<Arrow, 4> arrow_buttons = {{
        {"yOfsetSpinUp", Qt::UpArrow, 0, -1, 0, 1},
        {"xOfsetSpinDown", Qt::LeftArrow, -1, 0, 1, 0},
        {"xOfsetSpinUp", Qt::RightArrow, 1, 0, 1, 2},
        {"yOfsetSpinDown", Qt::DownArrow, 0, 1, 2, 1},
    }};
    for (const Arrow& a : arrow_buttons) {
        auto* button = new QToolButton;
        button->setObjectName(a.name);
        button->setArrowType(a.type);
        button->setAutoRepeat(true);
        const int dx = a.dx, dy = a.dy;
        connect(button, &QToolButton::clicked, this, [this, dx, dy] {
            RunHandler(
                [this, dx, dy] {
                    return ScrollView(editor_.view, editor_.doc.island, editor_.status, dx, dy);
                },
                true);
        });
        arrows->addWidget(button, a.row, a.column);
    }
    auto* origin = new QGridLayout;
    origin->setHorizontalSpacing(4);
    origin->addWidget(Caption(nullptr, "x"), 0, 0);
    origin->addWidget(status_widgets_.origin_x = StatusPanel("xOfsetPanel", 36), 0, 1);
    origin->addWidget(Caption(nullptr, "y"), 1, 0);
    origin->addWidget(status_widgets_.origin_y = StatusPanel("yOfsetPanel", 36), 1, 1);
    auto* arrow_row = new QHBoxLayout;
    arrow_row->addLayout(arrows);
    arrow_row->addSpacing(6);
    arrow_row->addLayout(origin);
    side->addLayout(arrow_row);
    side->addStretch(1);
    row->addLayout(side);
    return box;
}

QWidget* TInselZeichner::BuildLayers() {
    auto* box = new QGroupBox;
    box->setObjectName("LayerBox");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->addWidget(Caption("Label39", "Darstellung:"), 0, 0, 1, 2);

    layer_group_ = new QButtonGroup(this);
    const std::array<const char*, 4> names = {"RadioButton1", "RadioButton2", "RadioButton3",
                                              "RadioButton4"};
    const std::array<const char*, 4> captions = {"Höhen Profil", "Untergrund", "Bewuchs",
                                                 "Fruchtbarkeit"};
    const std::array<const char*, 4> edits = {"Edit1", "Edit2", "Edit3", "Edit4"};
    int row = 1;
    for (int i = 0; i < 4; ++i) {
        auto* radio = new QRadioButton(QString::fromUtf8(captions[static_cast<std::size_t>(i)]));
        radio->setObjectName(names[static_cast<std::size_t>(i)]);
        radio->setProperty("tag", i);
        layer_group_->addButton(radio, i);
        grid->addWidget(radio, row, 0);
        auto* edit = new QLineEdit;
        edit->setObjectName(edits[static_cast<std::size_t>(i)]);
        edit->setReadOnly(true);
        status_widgets_.cell[static_cast<std::size_t>(i)] = edit;
        edit->setFixedWidth(100);
        grid->addWidget(edit, row, 1);
        ++row;
        if (i == 1) {
            untergrund_check_ = new QCheckBox("als Bitmaps");
            untergrund_check_->setObjectName("UntergrundCheck");
            connect(untergrund_check_, &QCheckBox::clicked, this,
                    [this] { DisplaysollBitmapsbentzen1Click(); });
            grid->addWidget(untergrund_check_, row, 0, 1, 2, Qt::AlignLeft);
            untergrund_check_->setContentsMargins(20, 0, 0, 0);
            ++row;
        }
    }
    // RadioButton1Click: the layer changes even while Updating; only the repaint waits.
    connect(layer_group_, &QButtonGroup::idClicked, this, [this](int tag) {
        editor_.view.layer = static_cast<DisplayLayer>(tag);
        if (editor_.updating) return;
        Refresh();
        UpdateLegend(false);
        line_drawing_page_->RefreshLegendLists();
    });

    auto* mouse = new QGridLayout;
    mouse->setHorizontalSpacing(4);
    mouse->addWidget(Caption(nullptr, "x"), 0, 0);
    mouse->addWidget(status_widgets_.mouse_x = StatusPanel("MouseXPanel", 44), 0, 1);
    mouse->addWidget(Caption(nullptr, "hex"), 0, 2);
    mouse->addWidget(status_widgets_.mouse_hex_x = StatusPanel("MouseHXPanel", 44), 0, 3);
    mouse->addWidget(Caption(nullptr, "y"), 1, 0);
    mouse->addWidget(status_widgets_.mouse_y = StatusPanel("MouseYPanel", 44), 1, 1);
    mouse->addWidget(Caption(nullptr, "hex"), 1, 2);
    mouse->addWidget(status_widgets_.mouse_hex_y = StatusPanel("MouseHYPanel", 44), 1, 3);
    mouse->setColumnStretch(1, 1);
    mouse->setColumnStretch(3, 1);
    // The canvas pixel under the mouse, kept for checks but not shown.
    status_widgets_.pixel_x = StatusPanel("PixXPanel", 44);
    status_widgets_.pixel_y = StatusPanel("PixYPanel", 44);
    for (QLabel* panel : {status_widgets_.pixel_x, status_widgets_.pixel_y}) {
        panel->hide();
        mouse->addWidget(panel, 2, 0);
    }
    grid->addLayout(mouse, row++, 0, 1, 2);

    auto* pen = new QHBoxLayout;
    QLabel* pen_caption = Caption("PenWidthLabel", "Pen width");
    pen->addWidget(pen_caption);
    auto* pen_width = new QSpinBox;
    pen_width->setObjectName("PenWidthSpin");
    pen_width->setRange(1, 12);
    pen_width->setValue(settings_.pen_width);
    pen_width->setToolTip(
        QString::fromUtf8("Linienbreite der Umrisse: Minen, Abbauplätze, "
                          "Objekte, Tiere, Einzugsbereich"));
    pen_caption->setBuddy(pen_width);
    connect(pen_width, &QSpinBox::valueChanged, this, [this](int value) {
        settings_.pen_width = value;
        RepaintCanvas();
    });
    pen->addWidget(pen_width);
    pen->addStretch(1);
    grid->addLayout(pen, row, 0, 1, 2);
    return box;
}

QWidget* TInselZeichner::BuildStatus() {
    auto* box = new QGroupBox;
    box->setObjectName("StatusBox");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->setHorizontalSpacing(6);

    grid->addWidget(Caption(nullptr, "Insel"), 0, 0);
    status_widgets_.island_name = StatusPanel("IslandNamePanel", 120);
    status_widgets_.island_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(status_widgets_.island_name, 0, 1, 1, 3);

    grid->addWidget(Caption("InselGrPanel", "Inselgrösse"), 1, 0);
    grid->addWidget(status_widgets_.width = StatusPanel("xSizePanel", 56), 1, 1);
    grid->addWidget(Caption(nullptr, "x"), 1, 2, Qt::AlignCenter);
    grid->addWidget(status_widgets_.height = StatusPanel("ySizePanel", 56), 1, 3);

    // Two columns of caption + value.
    struct Entry {
        const char* caption_name;
        const char* caption;
        const char* panel;
        QLabel* StatusWidgets::*widget;
    };
    const std::array<Entry, 9> entries = {{
        {"TeilPanel", "Teilblöcke", "StufenPanel", &StatusWidgets::cell_blocks},
        {"StaedtePanel", "Städte", "AnzStadtPanel", &StatusWidgets::cities},
        {"ElementePanel", "Elemente", "BauOrtePanel", &StatusWidgets::objects},
        {"MinWhPanel", "Minen", "MinenBergePanel", &StatusWidgets::mines},
        {"AbbauPPanel", "Abbauplätze", "MinenOrtePanel", &StatusWidgets::quarry_spots},
        {"TierPanel", "Tiere", "TierePanel", &StatusWidgets::animals},
        {"WasserAntPanel", "Wasser %", "WasserPanel", &StatusWidgets::water},
        {nullptr, "Bytes", "FSizePanel", &StatusWidgets::file_size},
        {nullptr, "Add-on", "AddOnPanel", &StatusWidgets::addon_level},
    }};
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const int r = 2 + static_cast<int>(i % 5);
        const int c = static_cast<int>(i / 5) * 2;
        grid->addWidget(Caption(entries[i].caption_name, QString::fromUtf8(entries[i].caption)), r,
                        c == 0 ? 0 : 2);
        QLabel* panel = StatusPanel(entries[i].panel, 56);
        status_widgets_.*entries[i].widget = panel;
        grid->addWidget(panel, r, c == 0 ? 1 : 3);
    }
    // The island's climate; choosing another one changes the island's type.
    grid->addWidget(Caption("InselTypLabel", "Typ"), 7, 0);
    climate_box_ = new QComboBox;
    climate_box_->setObjectName("ComboBox1");
    for (int c = 0; c < kClimateCount; ++c) climate_box_->addItem(FromText(ClimateName(c)));
    connect(climate_box_, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0) return;
        RunHandler([this, index] { return editor_.SetClimate(index); });
    });
    grid->addWidget(climate_box_, 7, 1, 1, 3);
    grid->setRowStretch(8, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
    return box;
}

QWidget* TInselZeichner::BuildSelection() {
    auto* box = new QGroupBox;
    box->setObjectName("SelectionBox");
    auto* grid = new QGridLayout(box);
    grid->setVerticalSpacing(3);
    grid->addWidget(Caption(nullptr, "Auswahl"), 0, 0, 1, 2);
    const std::array<const char*, 4> names = {"PLeftSpin", "PTopSpin", "PWidthSpin", "PHeightSpin"};
    const std::array<const char*, 4> captions = {"x", "y", "Breite", "Höhe"};
    for (std::size_t i = 0; i < names.size(); ++i) {
        auto* spin = new QSpinBox;
        spin->setObjectName(names[i]);
        spin->setRange(0, kLayerSide);
        spin->setFixedWidth(64);
        frame_spins_[i] = spin;
        grid->addWidget(Caption(nullptr, QString::fromUtf8(captions[i])), 1 + static_cast<int>(i),
                        0);
        grid->addWidget(spin, 1 + static_cast<int>(i), 1);
        connect(spin, &QSpinBox::valueChanged, this, [this, i](int value) {
            if (editor_.updating) return;
            if (i >= 2) {
                ResizeToolFrame(editor_.tools, editor_.view, editor_.doc.island, i == 2, value);
            } else {
                (i == 0 ? editor_.tools.spins.left : editor_.tools.spins.top) = value;
                PlaceToolFrame(editor_.tools, editor_.view, editor_.doc.island);
            }
            ShowToolFrame();
        });
    }
    grid->addWidget(Caption(nullptr, "Klick x"), 5, 0);
    grid->addWidget(status_widgets_.frame_x = StatusPanel("xPanel", 44), 5, 1);
    grid->addWidget(Caption(nullptr, "Klick y"), 6, 0);
    grid->addWidget(status_widgets_.frame_y = StatusPanel("yPanel", 44), 6, 1);
    grid->setRowStretch(7, 1);
    return box;
}

void TInselZeichner::BuildToolFrame() {
    tool_frame_ = new ToolFrame(canvas_);
    tool_frame_->on_press = [this](Qt::MouseButton button) {
        if (!editor_.updating)
            BeginFrameDrag(editor_.tools, editor_.view, button == Qt::LeftButton);
    };
    tool_frame_->on_drag = [this](int mx, int my) {
        if (editor_.updating) return;
        if (const auto frame = DragFrameCorner(editor_.tools, editor_.view, mx, my)) {
            tool_frame_->resize(frame->width, frame->height);
        }
    };
    tool_frame_->on_release = [this](Qt::MouseButton button) { ThePanelMouseUp(button); };
}

void TInselZeichner::ThePanelMouseUp(Qt::MouseButton button) {
    if (button == Qt::LeftButton || button == Qt::MiddleButton) {
        RunHandler([this] {
            if (!StoreFrame(editor_.tools, editor_.view, editor_.doc.island, editor_.status)) {
                return false;
            }
            SyncSpins();
            RefreshPanels();
            return false;
        });
        return;
    }
    if (button != Qt::RightButton) return;
    const ToolMode mode = editor_.tools.mode;
    const int list_value = line_drawing_page_->ProfileHeight();
    const char* step = mode == ToolMode::Tile            ? "Untergrund setzen"
                       : mode == ToolMode::Vegetation    ? "Bewuchs löschen"
                       : mode == ToolMode::HeightProfile ? "Höhe füllen"
                       : mode == ToolMode::Fertility     ? "Fruchtbarkeit malen"
                                                         : "Rahmen";
    RunHandler([this, step, list_value] {
        FrameApplyResult result;
        editor_.Step(step, [&] {
            result = ApplyFrame(editor_.tools, editor_.view, editor_.doc.island, editor_.status,
                                list_value);
        });
        if (!result.message.empty()) show_message(FromText(result.message), false);
        if (!result.changed) return false;
        UpdateLegend(editor_.view.part_index < 0);
        RedrawOverview();
        return true;
    });
}

void TInselZeichner::SyncSpins() {
    const SelectionRect& s = editor_.tools.spins;
    const std::array<int, 4> values = {s.left, s.top, s.width, s.height};
    const bool was_updating = editor_.updating;
    editor_.updating = true;
    for (std::size_t i = 0; i < values.size(); ++i) frame_spins_[i]->setValue(values[i]);
    editor_.updating = was_updating;
}

void TInselZeichner::ShowToolFrame() {
    SyncSpins();
    const FramePixels& f = editor_.tools.frame;
    tool_frame_->setGeometry(f.left, f.top, std::max(f.width, 1), std::max(f.height, 1));
    tool_frame_->setText(QString::fromStdString(FrameLetter(editor_.tools.mode)));
    tool_frame_->setVisible(editor_.tools.frame_shown);
}

void TInselZeichner::UpdateLegend(bool whole_island) {
    const IslandMap& island = editor_.doc.island;
    legend_page_->ShowLegend(whole_island ? FullIslandLegend(island, editor_.view.layer)
                                          : ViewLegend(island, editor_.view));
}

void TInselZeichner::SetToolFrameColour(const QColor& colour) { tool_frame_->SetColour(colour); }

void TInselZeichner::ApplyInterfaceTexts() {
    base_title_ = InterfaceText(2, base_title_);
    UpdateTitle();
    insel::gui::ApplyInterfaceTexts(*this, editor_.definitions, kInterfaceTexts, page_control_);
    page_chooser_->Sync();
    city_page_->ApplyHeadings();
    island_list_page_->ApplyHeadings();
}

QString TInselZeichner::InterfaceText(int line, const QString& fallback) const {
    return InterfaceLine(editor_.definitions, line, fallback);
}

QTabWidget* TInselZeichner::BuildPages() {
    page_control_ = new QTabWidget;
    page_control_->setObjectName("PageControl1");
    for (const Page& p : kPages) {
        const std::string_view name = p.name;
        QWidget* page = nullptr;
        if (name == "HoehenStatistik") {
            page = legend_page_ = new HoehenStatistikPage(*this);
        } else if (name == "WeitereStatistik") {
            page = new WeitereStatistikPage(*this);
        } else if (name == "Minen") {
            page = mines_page_ = new MinenPage(*this);
        } else if (name == "Speichern") {
            page = save_page_ = new SpeichernPage(*this);
        } else if (name == "Objects") {
            page = objects_page_ = new GebaeudePage(*this, program_folder_);
        } else if (name == "TabSheet1") {
            page = city_page_ = new StadtlistePage(*this);
            status_widgets_.city_number = city_page_->CityNumberPanel();
        } else if (name == "Insel") {
            page = island_page_ = new InselPage(*this);
        } else if (name == "TabSheet2") {
            page = island_list_page_ = new InsellistePage(*this);
        } else if (name == "SettingsSheet") {
            page = settings_page_ = new SettingsPage;
            status_widgets_.scale = settings_page_->ScalePanels();
        } else if (name == "RotationSheet") {
            page = rotation_page_ = new RotationPage(*this);
        } else if (name == "LineDrawing") {
            page = line_drawing_page_ = new LineDrawingPage(*this, canvas_);
        } else if (name == "Untergrund") {
            page = untergrund_page_ = new UntergrundPage(*this);
        } else if (name == "CopyBuffer") {
            page = copy_buffer_page_ = new CopyBufferPage(*this);
        } else if (name == "Gelaende") {
            page = gelaende_page_ = new GelaendePage(*this);
        } else if (name == "FlussSheet") {
            page = fluss_page_ = new FlussPage(*this);
        } else {
            page = new QWidget;
            auto* column = new QVBoxLayout(page);
            column->addStretch(1);
        }
        ScrollPageContent(page);
        page->setObjectName(p.name);
        page->setProperty("tag", p.tag);
        page_control_->addTab(page, QString::fromUtf8(p.caption));
    }
    connect(page_control_, &QTabWidget::currentChanged, this,
            [this](int index) { PageControl1Change(index); });
    objects_page_->vegetation_choice = [this](int id) { gelaende_page_->ChooseElement(id); };
    return page_control_;
}

void TInselZeichner::PageControl1Change(int index) {
    QWidget* page = page_control_->widget(index);
    if (!page) return;
    SetToolModeForPage(editor_.tools, editor_.view, editor_.doc.island,
                       page->property("tag").toInt());
    ShowToolFrame();
    const ToolMode mode = editor_.tools.mode;
    // The marks were cleared; they show in the colour of the chosen height.
    if (mode == ToolMode::HeightProfile) line_drawing_page_->PageEntered();
    // The picker window serves the vegetation and the building page, each in its own mode.
    if (mode == ToolMode::Vegetation) gelaende_page_->LoadChosenElement();
    if (editor_.view.island_shown && mode == ToolMode::Vegetation) {
        objects_page_->ShowBuildingForm(TBuildingForm::Mode::Vegetation);
    } else if (editor_.view.island_shown && mode == ToolMode::Object) {
        objects_page_->ShowBuildingForm();
    } else {
        objects_page_->HideBuildingForm();
    }
    // The marks of a height-profile stroke show only on its page.
    if (editor_.view.island_shown && !editor_.updating) RepaintCanvas();
}

void TInselZeichner::PreparePages() {
    const bool savegame = editor_.doc.file_kind == FileKind::Savegame;
    for (const char* name :
         {"Minen", "Gelaende", "Untergrund", "LineDrawing", "CopyBuffer", "FlussSheet"}) {
        if (auto* page = findChild<QWidget*>(name)) {
            page_control_->setTabVisible(page_control_->indexOf(page), !savegame);
        }
    }
    // The island list is only of use where a file holds several islands.
    page_control_->setTabEnabled(page_control_->indexOf(island_list_page_), savegame);
    page_chooser_->Sync();
    city_page_->PrepareFor(editor_.doc.file_kind);
    objects_page_->ResetAfterLoad();
    line_drawing_page_->ResetAfterLoad();
    rotation_page_->ShowShifts();
    gelaende_page_->ResetAfterLoad();
    fluss_page_->ResetAfterLoad();
    city_page_->FillCities();
    island_list_page_->FillIslands();
}

void TInselZeichner::SelectCityListRow(int row) {
    if (editor_.updating || row < 0) return;
    std::string message;
    const bool savegame = editor_.doc.file_kind == FileKind::Savegame;
    // In a savegame the city's island is decoded, which drops the edits of the one shown.
    const bool city_exists =
        static_cast<std::size_t>(std::max(row, 1)) <= editor_.doc.cities.cities.size();
    if (savegame && city_exists && !MayDropChanges()) return;
    if (!RunLong([&] {
            if (savegame) {
                message = editor_.SelectCity(row);
                return;
            }
            // The choice and the object list it shows are one step.
            editor_.Step("Stadt wählen", [&] {
                message = editor_.SelectCity(row);
                if (message.empty()) city_page_->RefreshObjectList();
            });
        })) {
        return;
    }
    if (!message.empty()) {
        show_message(FromGameText(message), false);
        RefreshPanels();
        return;
    }
    if (savegame) {
        // The decoded island with its object list is where its history starts.
        city_page_->RefreshObjectList();
        editor_.StartHistory();
        ShowNewIsland();
    } else {
        RefreshPanels();
        if (settings_.catchment_shown) RepaintCanvas();
    }
}

void TInselZeichner::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_once_) {
        shown_once_ = true;
        FormShow();
    }
}

void TInselZeichner::FormShow() {
    ApplyInterfaceTexts();
    const int preload = PreloadCountSetting(editor_.definitions);
    bitmap_form_->SetPreloadSpin(preload);
    if (preload > 0) bitmap_form_->AllocatePreloadSlots();
    // Only these two kinds load from the command line; ".cty" is tested second and wins.
    FileKind kind = FileKind::None;
    if (command_line_file_.find(".scp") != std::string::npos) kind = FileKind::Island;
    if (command_line_file_.find(".cty") != std::string::npos) kind = FileKind::City;
    const auto load = [this, kind] {
        // Recovered work is not dropped for the file unasked.
        if (kind != FileKind::None && MayDropChanges())
            LoadIslandFile(std::filesystem::path(command_line_file_), kind);
    };
    if (!journal_slot_ ||
        FindLeftJournals(journal_slot_->path().parent_path(), journal_slot_->path()).empty()) {
        load();
        return;
    }
    // The question comes over the window once it is on the screen, not before it.
    QTimer::singleShot(0, this, [this, load] {
        QElapsedTimer waited;
        waited.start();
        while (windowHandle() && !windowHandle()->isExposed() && waited.elapsed() < 2000)
            QApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 50);
        OfferRecovery();
        load();
    });
}

void TInselZeichner::dragEnterEvent(QDragEnterEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.size() == 1 && urls[0].isLocalFile() &&
        FileKindFromExtension(std::filesystem::path(urls[0].toLocalFile().toStdString())) !=
            FileKind::None) {
        event->acceptProposedAction();
    }
}

void TInselZeichner::dropEvent(QDropEvent* event) {
    const QList<QUrl> urls = event->mimeData()->urls();
    if (urls.isEmpty()) return;
    const std::filesystem::path path(urls[0].toLocalFile().toStdString());
    event->acceptProposedAction();
    const FileKind kind = FileKindFromExtension(path);
    if (kind == FileKind::None || !MayDropChanges()) return;
    LoadIslandFile(path, kind);
}

void TInselZeichner::closeEvent(QCloseEvent* event) {
    // A random distribution holds an open step: it ends first, then the window may close.
    if (gelaende_page_ && gelaende_page_->Distributing()) {
        gelaende_page_->StopDistribution();
        event->ignore();
        return;
    }
    // Whoever answered the question about the changes has decided already: no second question.
    const bool unsaved = editor_.Unsaved();
    if (unsaved ? MayDropChanges() : !confirm_exit || confirm_exit()) {
        changes_dropped_ = true;
        event->accept();
    } else {
        event->ignore();
    }
}

void TInselZeichner::InselladenClick(FileKind file_kind) {
    if (editor_.updating) return;
    const OpenKind kind = OpenKindOf(file_kind);
    const QString file =
        choose_open_file(QString::fromUtf8(kind.filter), OpenDialogFolder(game_path_, file_kind));
    if (file.isEmpty() || !MayDropChanges()) return;
    LoadIslandFile(std::filesystem::path(file.toStdString()), kind.file_kind);
}

bool TInselZeichner::LoadIslandFile(const std::filesystem::path& path, FileKind file_kind) {
    // A refused file must not relabel the island already shown.
    if (editor_.updating || file_kind == FileKind::None) return false;
    std::string message;
    // The load replaces the document only when it succeeds; after the error box the window
    // goes on showing the island that was open.
    if (!RunLong([&] { message = editor_.Load(path, file_kind).message; })) return false;
    document_path_ = path;
    page_control_->setCurrentWidget(island_page_);
    if (!message.empty()) show_message(FromGameText(message), false);
    PreparePages();
    // The series ranking of the preload window follows every load.
    bitmap_form_->InselStatButtonClick();
    ShowNewIsland();
    return true;
}

bool TInselZeichner::SelectIslandListRow(int row) {
    if (editor_.updating) return false;
    // Another island of the file replaces the one shown with its edits.
    if (row < 1 || row > static_cast<int>(editor_.doc.island_list.size())) return false;
    if (!MayDropChanges()) return false;
    bool selected = false;
    if (!RunLong([&] { selected = editor_.SelectIsland(row); }) || !selected) return false;
    city_page_->RefreshObjectList();
    editor_.StartHistory();
    ShowNewIsland();
    return true;
}

void TInselZeichner::ShowNewIsland() {
    ClearReadouts();
    ResetView(editor_.view, editor_.doc.island, editor_.status);
    shown_size_ = {editor_.doc.island.record.width, editor_.doc.island.record.height};
    UpdateLegend(true);
    RedrawOverview();
    SyncControls();
    Refresh();
}

void TInselZeichner::RunHandler(const std::function<bool()>& handler, bool always_repaint) {
    if (editor_.updating) return;
    bool acted = false;
    QString error;
    {
        UpdatingGuard guard(editor_.updating, UpdatingGuard::Clear);
        error = Attempt([&] { acted = handler(); });
    }
    if (!error.isEmpty()) show_message(error, true);
    // What the handler changed before it failed stays, so it is shown as well.
    if (acted || always_repaint || !error.isEmpty()) Refresh();
    ShowHistory();
}

bool TInselZeichner::RunLong(const std::function<void()>& work) {
    if (editor_.updating) return false;
    QString error;
    {
        UpdatingGuard guard(editor_.updating, UpdatingGuard::Busy);
        // Paint the hourglass and whatever changed before the work starts.
        QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        error = Attempt(work);
    }
    if (!error.isEmpty()) show_message(error, true);
    ShowHistory();
    return error.isEmpty();
}

void TInselZeichner::SaveTextLines(const QString& proposed, const std::vector<std::string>& lines) {
    const QString file = AskSaveFile("Text file (*.txt)", proposed, "txt");
    if (file.isEmpty()) return;
    try {
        WriteWindows1252Lines(std::filesystem::path(file.toStdString()), lines);
    } catch (const Error& e) {
        // Said, so that nobody takes an unwritten file for saved.
        show_message(FromText(e.what()), true);
    }
}

QString TInselZeichner::AskSaveFile(const QString& filter, const QString& proposed,
                                    const QString& suffix, bool ask_overwrite, SuffixRule rule) {
    QString file = choose_save_file(filter, proposed);
    if (file.isEmpty()) return {};
    if (rule == SuffixRule::Replace) {
        // The same rule as the core's writers, so the question names the file they write.
        std::filesystem::path target(file.toStdString());
        target.replace_extension("." + suffix.toStdString());
        file = QString::fromStdString(target.string());
    } else if (QFileInfo(file).suffix().isEmpty()) {
        file += "." + suffix;
    }
    // A read-only file or a missing folder is said before anything is assembled.
    if (const auto refusal = WriteRefusal(std::filesystem::path(file.toStdString()))) {
        show_message("Fehler beim Schreiben\n" + QString::fromStdString(*refusal), true);
        return {};
    }
    if (ask_overwrite && QFileInfo::exists(file) && settings_page_->WarnOnOverwrite() &&
        !confirm_overwrite(InterfaceText(kOverwriteQuestionLine, "File exists. Overwrite?") + "\n" +
                           QDir::toNativeSeparators(file))) {
        return {};
    }
    return file;
}

void TInselZeichner::DisplaysollBitmapsbentzen1Click() {
    if (editor_.updating) {
        untergrund_check_->setChecked(settings_.use_tile_bitmaps);
        return;
    }
    settings_.use_tile_bitmaps = untergrund_check_->isChecked();
    RepaintCanvas();
}

void TInselZeichner::FlickerFreePaintBox2MouseMove(int px, int py) {
    // A height-profile stroke takes the move; the mouse panels wait for it to end.
    if (editor_.updating) return;
    const bool stroke = editor_.tools.height_profile_page && editor_.tools.stroke_active;
    IslandMap& island = editor_.doc.island;
    if (stroke && ContinuePenStroke(editor_.tools, editor_.view, island, editor_.status, px, py)) {
        RepaintCanvas();
    }
    if (TrackMouse(editor_.view, island, editor_.status, px, py, stroke)) RefreshPanels();
}

void TInselZeichner::FlickerFreePaintBox2MouseDown(int px, int py) {
    if (editor_.updating) return;
    if (BeginPenStroke(editor_.tools, editor_.view, editor_.doc.island, editor_.status, px, py)) {
        RepaintCanvas();
    }
}

void TInselZeichner::FlickerFreePaintBox2Click() {
    RunHandler([this] {
        const std::optional<CellClick> click =
            ClickCell(editor_.tools, editor_.view, editor_.doc, editor_.definitions, editor_.status,
                      settings_page_->FillTileField(), settings_.animals);
        if (!click) return false;
        gelaende_page_->SetBandCorner(click->x, click->y);
        // A find with a page of its own brings that page forward, which sets its tool.
        using Found = CellClick::Found;
        const char* page = click->found == Found::Mine || click->found == Found::QuarrySpot
                               ? "Minen"
                           : click->found == Found::River  ? "FlussSheet"
                           : click->found == Found::Object ? "Objects"
                                                           : nullptr;
        if (page) page_control_->setCurrentWidget(page_control_->findChild<QWidget*>(page));
        if (click->found == Found::Mine || click->found == Found::QuarrySpot)
            mines_page_->ShowSelection();
        if (click->found == Found::River) fluss_page_->ShowRiverCell();
        gelaende_page_->ShowClickedElement();
        untergrund_page_->ShowPickedField();
        if (click->found == Found::Object) objects_page_->ShowSelectedObject();
        if (click->animal) objects_page_->ShowAnimal(*click->animal);
        ShowToolFrame();
        RefreshPanels();
        return false;
    });
}

void TInselZeichner::Refresh() {
    RepaintCanvas();
    RefreshPanels();
    PlacePartFrame();
    // The view may have changed under the frame.
    if (editor_.view.island_shown) PlaceToolFrame(editor_.tools, editor_.view, editor_.doc.island);
    ShowToolFrame();
    line_drawing_page_->FollowView();
    // Saves and edits write to the logs as loads do.
    island_page_->ShowLogs();
    rotation_page_->ShowAngle();
    ShowHistory();
}

void TInselZeichner::RepaintCanvas() {
    settings_.height_profile_page = editor_.tools.height_profile_page;
    // Nothing is drawn while the window sets its controls; the repaint after does it.
    if (editor_.updating) return;
    const QString error = Attempt(
        [this] { RenderMap(editor_.doc, editor_.view, settings_, raster_, textures_.get()); });
    if (!error.isEmpty()) show_message(error, true);
    canvas_->update();
}

void TInselZeichner::RefreshPanels() {
    const Status& s = editor_.status;
    const StatusWidgets& w = status_widgets_;
    const std::pair<QLabel*, const std::string*> labels[] = {
        {w.file_size, &s.file_size},
        {w.addon_level, &s.addon_level},
        {w.width, &s.width},
        {w.height, &s.height},
        {w.cell_blocks, &s.cell_blocks},
        {w.quarry_spots, &s.quarry_spots},
        {w.mines, &s.mines},
        {w.objects, &s.objects},
        {w.animals, &s.animals},
        {w.cities, &s.cities},
        {w.water, &s.water},
        {w.island_name, &s.island_name},
        {w.origin_x, &s.origin_x},
        {w.origin_y, &s.origin_y},
        {w.scale[0], &s.cell_width},
        {w.scale[1], &s.cell_height},
        {w.scale[2], &s.columns},
        {w.scale[3], &s.rows},
        {w.mouse_x, &s.mouse_x},
        {w.mouse_y, &s.mouse_y},
        {w.mouse_hex_x, &s.mouse_hex_x},
        {w.mouse_hex_y, &s.mouse_hex_y},
        {w.frame_x, &s.frame_x},
        {w.frame_y, &s.frame_y},
        {w.pixel_x, &s.pixel_x},
        {w.pixel_y, &s.pixel_y},
        {w.city_number, &s.city_number},
    };
    const std::pair<QLineEdit*, const std::string*> edits[] = {
        {w.cell[0], &s.cell_height_value},
        {w.cell[1], &s.cell_tile},
        {w.cell[2], &s.cell_terrain},
        {w.cell[3], &s.cell_fertility},
        {objects_page_->ObjectHeightEdit(), &s.object_height},
    };
    constexpr std::size_t kShown = std::size(labels) + std::size(edits);
    shown_status_.resize(kShown);
    // Runs on every mouse move: only texts that changed are converted and set.
    std::size_t i = 0;
    for (const auto& [label, text] : labels) {
        if (shown_status_[i] != *text) label->setText(FromGameText(*text));
        shown_status_[i++] = *text;
    }
    for (const auto& [edit, text] : edits) {
        if (shown_status_[i] != *text) edit->setText(FromGameText(*text));
        shown_status_[i++] = *text;
    }
}

void TInselZeichner::PlacePartFrame() {
    const PartFrame& f = editor_.view.part_frame;
    part_frame_->setGeometry(f.left, f.top, f.width, f.height);
    part_frame_->setVisible(f.shown && editor_.view.part_index >= 0);
}

void TInselZeichner::SyncControls() {
    const bool was_updating = editor_.updating;
    editor_.updating = true;
    if (QAbstractButton* zoom = zoom_group_->button(editor_.view.zoom_cell_size))
        zoom->setChecked(true);
    if (QAbstractButton* layer = layer_group_->button(static_cast<int>(editor_.view.layer)))
        layer->setChecked(true);
    oversize_button_->setEnabled(editor_.view.oversize_mode);
    const int climate = editor_.doc.island.record.climate;
    climate_box_->setCurrentIndex(climate >= 0 && climate < kClimateCount ? climate : -1);
    editor_.updating = was_updating;
}

void TInselZeichner::RedrawOverview() {
    if (editor_.view.island_shown) {
        mini_image_->SetPixels(DrawOverviewImage(editor_.doc.island, editor_.view.layer));
    }
}

}  // namespace insel::gui
