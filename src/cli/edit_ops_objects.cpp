// The building tools in scripts: selecting, placing and removing objects, element lists.
#include <string>

#include "cli/edit_ops.h"
#include "core/app/editor.h"
#include "core/container/cp1252.h"
#include "core/container/file_io.h"
#include "core/tools/element_list.h"
#include "core/tools/objects.h"

namespace insel::cli {

void AddObjectsOperations(std::vector<ScriptOperation>& ops) {
    ops.push_back({"object_select",
                   {Integer("x", 0, kLayerSide - 1), Integer("y", 0, kLayerSide - 1)},
                   [](Editor& e, const ScriptParams& p) {
                       // A cell without an object leaves nothing selected, so that a later
                       // removal cannot hit an object chosen before.
                       if (!SelectObjectAt(e.tools, e.doc, p["x"], p["y"]))
                           e.tools.objects.selected.reset();
                       return std::string();
                   }});
    ops.push_back(
        {"object_insert",
         {Integer("x", 0, kLayerSide - 1), Integer("y", 0, kLayerSide - 1), Integer("id", 1, 16383),
          Integer("orientation", 0, 3, 0), Choice("as", {"city", "new_town", "free"}, "city"),
          Optional(Integer("warehouse_kind", 0, 4)), Text("town_name", "Newtown")},
         [](Editor& e, const ScriptParams& p) {
             InsertRequest r;
             r.x = p["x"];
             r.y = p["y"];
             r.id = p["id"];
             r.orientation = p["orientation"];
             r.as = static_cast<InsertAs>(p["as"]);
             r.warehouse_kind =
                 p.Has("warehouse_kind") ? p["warehouse_kind"] : e.doc.cities.main_warehouse_kind;
             r.town_name = Utf8ToCp1252(p.Text("town_name"));
             const char* step = r.as == InsertAs::Free      ? "Frei einbauen"
                                : r.as == InsertAs::NewTown ? "Hauptkontor für neue Stadt setzen"
                                                            : "Element einfügen";
             std::string message;
             e.Step(step,
                    [&] { message = InsertObject(e.doc, e.tools, e.definitions, e.status, r); });
             return message;
         }});
    ops.push_back({"object_remove", {}, [](Editor& e, const ScriptParams&) {
                       std::string message;
                       e.Step("Element entfernen",
                              [&] { message = RemoveSelectedObject(e.doc, e.tools, e.status); });
                       return message;
                   }});
    ops.push_back(
        {"objects_remove_id", {Integer("id", 0, 16383)}, [](Editor& e, const ScriptParams& p) {
             e.Step("Alle mit dieser ID entfernen",
                    [&] { RemoveObjectsWithId(e.doc, e.tools, e.status, p["id"]); });
             return std::string();
         }});
    ops.push_back({"element_list",
                   {Text("path"), Integer("left", -kLayerSide, kLayerSide, 0),
                    Integer("top", -kLayerSide, kLayerSide, 0), Flag("town", false),
                    Flag("clear_plants", true), Text("town_name", "Newtown")},
                   [](Editor& e, const ScriptParams& p) {
                       const ElementList list = ReadElementList(PathFromUtf8(p.Text("path")));
                       ElementListOptions options;
                       options.left = p["left"];
                       options.top = p["top"];
                       options.town = p.Flag("town");
                       options.clear_plants = p.Flag("clear_plants");
                       options.town_name = Utf8ToCp1252(p.Text("town_name"));
                       ElementListResult result;
                       e.Step("Insert file", [&] {
                           result = InsertElementList(e.doc, e.tools, e.definitions, e.status, list,
                                                      options);
                       });
                       return result.message;
                   }});
}

void AddObjectsJson(const Editor& editor, nlohmann::ordered_json& json) {
    const ObjectEntry* o = SelectedObject(editor.tools, editor.doc.island);
    if (o == nullptr) {
        json["selected_object"] = nullptr;
        return;
    }
    json["selected_object"] = {{"index", *editor.tools.objects.selected},
                               {"graphic_id", o->graphic_id},
                               {"orientation", o->orientation},
                               {"x", o->x},
                               {"y", o->y},
                               {"width", o->width},
                               {"height", o->height},
                               {"owner", o->owner},
                               {"definition", o->definition}};
}

}  // namespace insel::cli
