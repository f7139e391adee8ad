// Internal to scenario loading: reads fields with their types checked
// first. The JSON library is built without exceptions, so every access must
// be one that cannot fail.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim/handlers.h"
#include "sim/model.h"

namespace sim {

using nlohmann::json;

struct Loader {
  std::string error;
  std::string where;
  // Groups given as a disk count take free disks once every disk is known.
  std::vector<std::pair<std::string, int>> groupCounts;

  bool Fail(std::string message) {
    if (error.empty()) error = where + ": " + std::move(message);
    return false;
  }

  bool Text(const json& object, const char* key, std::string& out,
            bool required, size_t maxLength = 128) {
    if (!object.contains(key)) {
      return required ? Fail(std::string("missing \"") + key + "\"") : true;
    }
    const json& value = object[key];
    if (!value.is_string()) return Fail(std::string(key) + " is not a string");
    const std::string& text = value.get_ref<const std::string&>();
    if (!IsPlainText(text, maxLength)) {
      return Fail(std::string(key) +
                  " holds characters or a length the "
                  "manager does not allow");
    }
    out = text;
    return true;
  }

  bool Number(const json& object, const char* key, int64_t& out, int64_t low,
              int64_t high) {
    if (!object.contains(key)) return true;
    const json& value = object[key];
    if (!value.is_number_integer() || value.get<int64_t>() < low ||
        value.get<int64_t>() > high) {
      return Fail(std::string(key) + " is not a number from " +
                  std::to_string(low) + " to " + std::to_string(high));
    }
    out = value.get<int64_t>();
    return true;
  }

  bool Int(const json& object, const char* key, int& out, int low, int high) {
    int64_t value = out;
    if (!Number(object, key, value, low, high)) return false;
    out = static_cast<int>(value);
    return true;
  }

  bool Flag(const json& object, const char* key, bool& out) {
    if (!object.contains(key)) return true;
    if (!object[key].is_boolean())
      return Fail(std::string(key) + " is not a boolean");
    out = object[key].get<bool>();
    return true;
  }

  bool OneOf(const json& object, const char* key, std::string& out,
             std::initializer_list<const char*> allowed) {
    std::string value = out;
    if (!Text(object, key, value, false)) return false;
    for (const char* candidate : allowed) {
      if (value == candidate) {
        out = value;
        return true;
      }
    }
    return Fail(std::string(key) + " \"" + value + "\" is not a known value");
  }

  bool Comment(const json& object, std::string& out) {
    if (!Text(object, "comment", out, false)) return false;
    return IsValidComment(out) ? true : Fail("comment breaks the name rules");
  }

  // The entries of an optional array member.
  const json* Entries(const json& object, const char* key) {
    static const json kEmpty = json::array();
    if (!object.contains(key)) return &kEmpty;
    if (!object[key].is_array()) {
      Fail(std::string(key) + " is not an array");
      return nullptr;
    }
    return &object[key];
  }

  bool Id(const json& object, StorageSystem& s, IdKind kind, std::string& id) {
    if (!Text(object, "id", id, false, 64)) return false;
    if (id.empty()) id = NewId(s, kind);
    return true;
  }

  // Splits a full name into its folder (which must exist below `root`) and
  // its leaf.
  bool Place(StorageSystem& s, const std::string& full, std::string_view root,
             std::string& folderId, std::string& leaf) {
    size_t cut = full.rfind('\\');
    if (cut == std::string::npos || cut + 1 == full.size()) {
      return Fail("\"" + full + "\" is not a full name");
    }
    Folder* folder = FolderByPath(s, full.substr(0, cut + 1));
    if (folder == nullptr || RootOf(s, folder->id) != root) {
      return Fail("no folder for \"" + full + "\" below \\" +
                  std::string(root) + "\\");
    }
    folderId = folder->id;
    leaf = full.substr(cut + 1);
    return IsValidName(leaf) ? true : Fail("invalid name \"" + leaf + "\"");
  }

  bool Folders(const json& js, StorageSystem& s);
  bool Disks(const json& js, StorageSystem& s);
  bool Groups(const json& js, StorageSystem& s);
  bool FillGroups(StorageSystem& s);
  bool Hosts(const json& js, StorageSystem& s);
  bool Vdisks(const json& js, StorageSystem& s, int64_t clock);
  bool Luns(const json& js, StorageSystem& s);
  bool Hardware(const json& js, StorageSystem& s);
  bool Events(const json& js, StorageSystem& s);
  bool System(const json& js, StorageSystem& s, int number, int64_t clock);
  bool DrLinks(const json& js, Model& model, StorageSystem& s);
};

// Where `text` breaks the JSON syntax ("line L, column C: what is wrong"),
// or "" when it is JSON.
std::string JsonSyntaxError(std::string_view text);

}  // namespace sim
