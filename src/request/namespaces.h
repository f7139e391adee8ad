// The namespaces the server's two dialects name in their envelopes.
#pragma once

namespace request {

inline constexpr char kSoapV1Namespace[] = "urn:schemas-xmlsoap-org:soap.v1";
inline constexpr char kInterfaceV3Namespace[] =
    "http://tarnwick.example/zorapiv3";
inline constexpr char kInterfaceV32Namespace[] =
    "http://tarnwick.example/zorapiv32";

}  // namespace request
