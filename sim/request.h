// One operation asked of the manager, decoded from the envelope of either
// request dialect.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace sim {

enum class Dialect { kV1, kV3 };

struct Property {
  std::string name;
  std::string value;
};

struct OperationRequest {
  Dialect dialect = Dialect::kV1;
  std::string version;    // the XML-interface header's version ("3.2")
  std::string operation;  // "Get", "Create", "getproperties", ...
  std::vector<Property> properties;  // in the order they were sent
  std::string user;                  // who the transport authenticated
};

// Decodes an envelope ("<SOAP:Envelope ..." or "<Envelope ..."). False, with
// `error` set, when the text is not one operation of a known dialect.
bool DecodeOperation(std::string_view envelope, OperationRequest& request,
                     std::string& error);

// The value of the first property named `name` (exact case), or nullptr.
const std::string* FindProperty(const OperationRequest& request,
                                std::string_view name);
// Every value of the properties named `name`, in order.
std::vector<std::string> AllProperties(const OperationRequest& request,
                                       std::string_view name);

}  // namespace sim
