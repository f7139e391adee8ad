#include "sim/request.h"

#include "sim/markup.h"

namespace sim {
namespace {

// Takes the leaf children of an operation element as its properties.
bool TakeProperties(const Element& operation, OperationRequest& request,
                    std::string& error) {
  for (const Element& child : operation.children) {
    if (!child.children.empty()) {
      error = "unexpected element inside <" + child.name + ">";
      return false;
    }
    request.properties.push_back(Property{child.name, child.text});
  }
  return true;
}

// The single element child of `parent`, or nullptr with `error` set.
const Element* OnlyChild(const Element& parent, std::string& error) {
  if (parent.children.size() != 1) {
    error = "expected exactly one operation in <" + parent.name + ">";
    return nullptr;
  }
  return &parent.children.front();
}

bool DecodeV1(const Element& envelope, OperationRequest& request,
              std::string& error) {
  const Element* body = FindChild(envelope, "SOAP:Body");
  if (body == nullptr) {
    error = "no SOAP:Body in the envelope";
    return false;
  }
  const Element* operation = OnlyChild(*body, error);
  if (operation == nullptr) return false;
  if (!operation->name.starts_with("m:") || operation->name.size() == 2) {
    error = "operation element without the m: prefix";
    return false;
  }
  request.dialect = Dialect::kV1;
  request.operation = operation->name.substr(2);
  return TakeProperties(*operation, request, error);
}

bool DecodeV3(const Element& envelope, OperationRequest& request,
              std::string& error) {
  const Element* header = FindChild(envelope, "Header");
  const Element* version =
      header != nullptr ? FindChild(*header, "version") : nullptr;
  const Element* body = FindChild(envelope, "Body");
  const Element* holder =
      body != nullptr ? FindChild(*body, "NsaServerOperation") : nullptr;
  if (version == nullptr || holder == nullptr) {
    error = "envelope without Header version or Body NsaServerOperation";
    return false;
  }
  const Element* operation = OnlyChild(*holder, error);
  if (operation == nullptr) return false;
  request.dialect = Dialect::kV3;
  request.version = version->text;
  request.operation = operation->name;
  return TakeProperties(*operation, request, error);
}

}  // namespace

bool DecodeOperation(std::string_view envelope, OperationRequest& request,
                     std::string& error) {
  Element root;
  if (!ParseMarkup(envelope, root, error)) return false;
  if (root.children.size() != 1) {
    error = "expected exactly one envelope";
    return false;
  }
  const Element& top = root.children.front();
  if (top.name == "SOAP:Envelope") return DecodeV1(top, request, error);
  if (top.name == "Envelope") return DecodeV3(top, request, error);
  error = "unknown envelope <" + top.name + ">";
  return false;
}

const std::string* FindProperty(const OperationRequest& request,
                                std::string_view name) {
  for (const Property& property : request.properties) {
    if (property.name == name) return &property.value;
  }
  return nullptr;
}

std::vector<std::string> AllProperties(const OperationRequest& request,
                                       std::string_view name) {
  std::vector<std::string> values;
  for (const Property& property : request.properties) {
    if (property.name == name) values.push_back(property.value);
  }
  return values;
}

}  // namespace sim
