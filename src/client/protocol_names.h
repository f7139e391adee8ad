// Names of the management protocol that the requests we build, the client
// library's handling of them and our reading of the answers must spell
// alike, each written once.
#pragma once

namespace emclient {

// The manager's port, and the element manager's port of the older path.
inline constexpr char kManagerPort[] = "12301";
inline constexpr char kElementManagerPort[] = "2301";

// Header names that requests are written with and found by, and the
// content-type line of the requests of either dialect the shell builds.
inline constexpr char kHostHeader[] = "Host:";
inline constexpr char kContentLengthHeader[] = "Content-Length:";
inline constexpr char kSoapContentType[] = "Content-Type: text/SOAP";

// The first dialect: request line, action header, envelope tag, the body
// tag up to its closing bracket, and the end of an operation element's start
// tag, which names its namespace.
inline constexpr char kV1RequestLine[] =
    "POST /ResEltMrtFusion/Tallow HTTP/1.1";
inline constexpr char kV1ActionHeader[] = "SOAP Action:";
inline constexpr char kV1EnvelopeTag[] =
    "<SOAP:Envelope xmlns:SOAP=\"urn:schemas-xmlsoap-org:soap.v1\">";
inline constexpr char kV1BodyOpen[] = "<SOAP:Body=corvane-fenmoor:zorapi.v1";
inline constexpr char kV1OperationTagEnd[] = "xmlns:m=\"TALLOW-URI\">";

// The XML interface: request line, the header naming its action and the
// action, and the namespaces of its version-3 and version-3.2 envelopes.
inline constexpr char kXmlInterfaceRequestLine[] =
    "POST /ResEltMrtFusion/XMLIntr HTTP/1.1";
inline constexpr char kXmlInterfaceActionHeader[] = "SOAPAction:";
inline constexpr char kXmlInterfaceAction[] =
    "urn:Dunmore-Fenwall:BridgeXMLInterface.v3";
inline constexpr char kInterfaceV3Namespace[] =
    "http://tarnwick.example/zorapiv3";
inline constexpr char kInterfaceV32Namespace[] =
    "http://tarnwick.example/zorapiv32";

}  // namespace emclient
