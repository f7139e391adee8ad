#include "sim/answer.h"

namespace sim {
namespace {

// The namespace of the XML interface's version-3 envelope, in which a
// manager answers that interface's requests whatever their version.
constexpr char kInterfaceV3Namespace[] = "http://tarnwick.example/zorapiv3";

void RenderItems(const std::vector<Item>& items, std::string& out) {
  for (const Item& item : items) {
    switch (item.kind) {
      case Item::kLeaf:
        out += "<" + item.name + ">" + item.value + "</" + item.name + ">\n";
        break;
      case Item::kLabel:
        out +=
            "<LabelName xsd:type=\"u:string\">" + item.value + "</LabelName>\n";
        break;
      case Item::kArray: {
        size_t rows = item.perRow > 0 ? item.children.size() /
                                            static_cast<size_t>(item.perRow)
                                      : 0;
        out += "<ArrayOfString xsd:type=\"u:string[" +
               std::to_string(item.perRow) + "," + std::to_string(rows) +
               "]\">\n";
        RenderItems(item.children, out);
        out += "</ArrayOfString>\n";
        break;
      }
      case Item::kCategory:
        out += "<Category>\n";
        RenderItems(item.children, out);
        out += "</Category>\n";
        break;
      case Item::kContainer:
        out += "<" + item.name + ">\n";
        RenderItems(item.children, out);
        out += "</" + item.name + ">\n";
        break;
    }
  }
}

void RenderMessage(const Answer& answer, std::string& out) {
  if (answer.message.empty()) return;
  if (answer.status == 0) {
    out += "<SuccessMsg>" + answer.message + "</SuccessMsg>\n";
  } else {
    out += "<NotSuccessMsg>" + answer.message + "</NotSuccessMsg>\n";
    out += "<MessageNum>" + std::to_string(answer.status) + "</MessageNum>\n";
  }
}

}  // namespace

Item Leaf(std::string name, std::string value) {
  Item item;
  item.name = std::move(name);
  item.value = std::move(value);
  return item;
}

Item Label(std::string text) {
  Item item;
  item.kind = Item::kLabel;
  item.value = std::move(text);
  return item;
}

Item Array(int perRow, std::vector<Item> leaves) {
  Item item;
  item.kind = Item::kArray;
  item.perRow = perRow;
  item.children = std::move(leaves);
  return item;
}

Item Category(std::vector<Item> children) {
  Item item;
  item.kind = Item::kCategory;
  item.children = std::move(children);
  return item;
}

Item Container(std::string name, std::vector<Item> children) {
  Item item;
  item.kind = Item::kContainer;
  item.name = std::move(name);
  item.children = std::move(children);
  return item;
}

std::string RenderV1(const Answer& answer, bool query) {
  std::string out =
      "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">\n"
      "<SOAP:Body=corvane-fenmoor:zorapi.v1>\n";
  if (query && answer.status == 0) {
    out += "<m:getResponse xmlns:m=\"TALLOW-URI\">\n";
    RenderItems(answer.items, out);
    out += "</m:getResponse>\n";
  } else {
    RenderItems(answer.items, out);
  }
  RenderMessage(answer, out);
  out += "</SOAP:Body>\n</SOAP:Envelope>\n";
  return out;
}

std::string RenderV3(const Answer& answer, std::string_view version) {
  std::string out = std::string("<SOAP:Envelope xmlns=\"") +
                    kInterfaceV3Namespace + "\" xmlns:zorapi=\"" +
                    kInterfaceV3Namespace + "\">\n<SOAP:Body>\n";
  out += "<version>" + std::string(version) + "</version>\n";
  out += "<statuscode>" + std::to_string(answer.status) + "</statuscode>\n";
  std::string description =
      answer.status == 0 ? "Operation completed successfully" : answer.message;
  out += "<statusdescription>" + description + "</statusdescription>\n";
  RenderMessage(answer, out);
  RenderItems(answer.items, out);
  out += "</SOAP:Body>\n</SOAP:Envelope>\n";
  return out;
}

}  // namespace sim
