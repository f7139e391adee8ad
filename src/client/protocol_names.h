// Names of the management protocol that the requests we build, the client
// library's handling of them and our reading of the answers must spell
// alike, each written once.
#pragma once

namespace emclient {

// The manager's port, and the element manager's port of the older path.
inline constexpr char kManagerPort[] = "12301";
inline constexpr char kElementManagerPort[] = "2301";

// Header names that requests are written with and found by.
inline constexpr char kHostHeader[] = "Host:";
inline constexpr char kContentLengthHeader[] = "Content-Length:";
inline constexpr char kAuthorizationHeader[] = "Authorization:";
inline constexpr char kContentTypeName[] = "Content-Type";

// The content-type lines: of the requests of either dialect the shell
// builds, of the client library's own operations, of the session-key
// request and of the text transport.
inline constexpr char kSoapContentType[] = "Content-Type: text/SOAP";
inline constexpr char kDirectContentType[] = "Content-Type:text/SOAP";
inline constexpr char kSessionKeyContentType[] = "Content-Type:text/xml";
inline constexpr char kTextTransportContentType[] =
    "Content-Type:text/xml; charset=utf-8";

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
// An XML-interface envelope opens with this, its namespace and "'>".
inline constexpr char kInterfaceEnvelopeOpen[] = "<Envelope xmlns='";

// The text transport of the front layer (port 12301): its request line and
// the client it names.
inline constexpr char kTextTransportRequestLine[] = "POST /zorbridge HTTP/1.1";
inline constexpr char kTextTransportUserAgent[] = "User-Agent: SoapClient 1.0";

// The login of the older path (port 2301): the request for a session key
// and the parameter of its page that holds the key; the login request, its
// lines and the status of an accepted login; and the session cookie, whose
// name leads the key, the cookie and the digested text alike.
inline constexpr char kSessionKeyRequestLine[] = "Get /mrtlogin.htm HTTP/1.1";
inline constexpr char kSessionKeyParameter[] =
    "<PARAM NAME=SessionKey VALUE=\"";
inline constexpr char kLoginRequestLine[] =
    "Post /Proxy/LoginResponse HTTP/1.0";
inline constexpr char kLoginAcceptLine[] = "Accept:*/*";
inline constexpr char kLoginUserHeader[] = "Corvane-WBEM-UserName:";
inline constexpr char kLoginAccepted[] = "HTTP/1.0 200 Ok";
inline constexpr char kCookieHeader[] = "Cookie:";
inline constexpr char kSetCookieHeader[] = "Set-Cookie:";
inline constexpr char kSessionCookiePrefix[] = "Corvane-HMMD=";

}  // namespace emclient
