#include "request/request_envelope.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "client/protocol_names.h"
#include "request/manager_address.h"
#include "request/pending_properties.h"
#include "session/fatal_stop.h"
#include "session/tracked_memory.h"

namespace request {
namespace {

using session::CommandContext;
using session::WorkArea;

// Most requests fit the first buffer; a long one doubles it up to the
// capacity, so no command pays for the largest request it could build.
constexpr int32_t kFirstRequestBuffer = 2048;

void makeRoom(WorkArea& work, std::size_t needed) {
  int32_t have = work.requestBuffer != nullptr ? work.requestCapacity : 0;
  if (needed <= static_cast<std::size_t>(have)) return;
  int32_t capacity = have == 0 ? kFirstRequestBuffer : have;
  while (static_cast<std::size_t>(capacity) < needed) capacity *= 2;
  if (capacity > session::kRequestCapacity)
    capacity = session::kRequestCapacity;
  // Every byte up to the length is written before it is read.
  char* grown = static_cast<char*>(session::allocateUnfilled(
      static_cast<std::size_t>(capacity), "quill_soap", __LINE__));
  if (work.requestLength > 0) {
    std::memcpy(grown, work.requestBuffer,
                static_cast<std::size_t>(work.requestLength));
  }
  session::release(work.requestBuffer);
  work.requestBuffer = grown;
  work.requestCapacity = capacity;
}

// Most pieces are a few bytes long: they are copied in line, a word or two
// at a time (overlapping when they must), and only a long one by a library
// call.
inline char* copyPiece(char* write, std::string_view piece) {
  std::size_t length = piece.size();
  const char* read = piece.data();
  auto copyWords = [&](auto word) {
    decltype(word) last;
    std::memcpy(&word, read, sizeof word);
    std::memcpy(&last, read + length - sizeof word, sizeof word);
    std::memcpy(write, &word, sizeof word);
    std::memcpy(write + length - sizeof word, &last, sizeof word);
  };
  if (length > 16) {
    std::memcpy(write, read, length);
  } else if (length >= 8) {
    copyWords(uint64_t{});
  } else if (length >= 4) {
    copyWords(uint32_t{});
  } else {
    for (std::size_t i = 0; i < length; ++i) write[i] = read[i];
  }
  return write + length;
}

// Most appends fit the room there is: only one that does not checks the
// limit and grows the buffer. The pieces of a line go in with one check.
void appendPieces(CommandContext& context,
                  std::initializer_list<std::string_view> pieces) {
  WorkArea& work = context.session->work;
  std::size_t length = 0;
  for (std::string_view piece : pieces) length += piece.size();
  std::size_t needed = static_cast<std::size_t>(work.requestLength) + length;
  if (work.requestBuffer == nullptr ||
      needed >= static_cast<std::size_t>(work.requestCapacity)) {
    if (needed > static_cast<std::size_t>(kRequestLimit)) {
      std::fputs("\nError: SOAP buffer exceeded when building SOAP command",
                 session::errorStream());
      session::fatalStop();
    }
    makeRoom(work, needed + 1);
  }
  char* write = work.requestBuffer + work.requestLength;
  for (std::string_view piece : pieces) write = copyPiece(write, piece);
  *write = '\0';
  work.requestLength += static_cast<int32_t>(length);
}

void append(CommandContext& context, std::string_view text) {
  appendPieces(context, {text});
}

// Values are element text: the three characters that would end or open
// markup are written as entities, so no value can break the request.
void appendEscaped(CommandContext& context, std::string_view value) {
  std::size_t plain = 0;
  for (std::size_t i = 0; i < value.size(); ++i) {
    const char* entity = value[i] == '&'   ? "&amp;"
                         : value[i] == '<' ? "&lt;"
                         : value[i] == '>' ? "&gt;"
                                           : nullptr;
    if (entity == nullptr) continue;
    append(context, value.substr(plain, i - plain));
    append(context, entity);
    plain = i + 1;
  }
  append(context, value.substr(plain));
}

void startRequest(CommandContext& context) {
  WorkArea& work = context.session->work;
  work.requestLength = 0;
  makeRoom(work, 1);
  work.requestBuffer[0] = '\0';
}

// The scheme of a manager reached over TLS is the library's business, not
// the server's.
void appendHostLine(CommandContext& context) {
  append(context, emclient::kHostHeader);
  append(context, managerHostAndPort(context.session->managerAddress));
  append(context, "\n");
}

void appendContentLengthLine(CommandContext& context) {
  append(context, emclient::kContentLengthHeader);
  append(context, " ");
  // Four digits, filled in when the request is complete.
  context.session->work.contentLengthDigits =
      context.session->work.requestLength;
  append(context, "0000\n");
}

void keepOperation(CommandContext& context, const char* operation) {
  context.session->work.currentOperation = operation;
}

void emitProperties(CommandContext& context, std::string_view typeAttribute) {
  WorkArea& work = context.session->work;
  for (const session::PendingProperty* property = work.pendingProperties;
       property != nullptr; property = property->next) {
    std::string_view name = property->name;
    std::string_view value = property->value;
    if (std::none_of(value.begin(), value.end(),
                     [](char c) { return c == '&' || c == '<' || c == '>'; })) {
      appendPieces(context,
                   {"<", name, typeAttribute, ">", value, "</", name, ">\n"});
      continue;
    }
    appendPieces(context, {"<", name, typeAttribute, ">"});
    appendEscaped(context, value);
    appendPieces(context, {"</", name, ">\n"});
  }
  session::releaseProperties(work.pendingProperties);
}

// The placeholder holds four characters; a longer request keeps the line
// well-formed with the largest length that fits, since the client library
// rewrites the line before sending anyway.
void finishRequest(CommandContext& context) {
  WorkArea& work = context.session->work;
  // "%4d": right-aligned in four places, blanks in front.
  int length = work.requestLength > 9999 ? 9999 : work.requestLength;
  char* digits = work.requestBuffer + work.contentLengthDigits;
  for (int place = 3; place >= 0; --place) {
    digits[place] =
        length > 0 || place == 3 ? static_cast<char>('0' + length % 10) : ' ';
    length /= 10;
  }
  work.currentOperation = nullptr;
}

}  // namespace

void AppendRequestText(CommandContext& context, const char* text) {
  append(context, text);
}

void AppendRequestLine(CommandContext& context, const char* text) {
  append(context, text);
  append(context, "\n");
}

void BeginV1Request(CommandContext& context, const char* operation,
                    const char* elementType) {
  startRequest(context);
  appendPieces(context, {emclient::kV1RequestLine, "\n"});
  appendHostLine(context);
  appendPieces(context, {emclient::kSoapContentType, "\n"});
  appendContentLengthLine(context);
  appendPieces(context,
               {emclient::kV1ActionHeader, "\"", operation, "\"\n\n",
                emclient::kV1EnvelopeTag, "\n", emclient::kV1BodyOpen,
                ">\n<m:", operation, " ", emclient::kV1OperationTagEnd, "\n"});
  const session::SessionState& session = *context.session;
  PutProperty(context, "Type", elementType);
  PutProperty(context, "UserName", session.userName);
  PutProperty(context, "UserPassword", session.password);
  keepOperation(context, operation);
}

void EmitV1Properties(CommandContext& context) {
  emitProperties(context, " xsd:type=\"string\"");
}

void EndV1Request(CommandContext& context) {
  appendPieces(context, {"</m:", context.session->work.currentOperation,
                         ">\n</SOAP:Body>\n</SOAP:Envelope>\n"});
  finishRequest(context);
}

void BeginV32Request(CommandContext& context, const char* operation) {
  startRequest(context);
  append(context, emclient::kXmlInterfaceRequestLine);
  append(context, "\n");
  appendHostLine(context);
  append(context, emclient::kSoapContentType);
  append(context, "\n");
  append(context, emclient::kXmlInterfaceActionHeader);
  append(context, "'");
  append(context, emclient::kXmlInterfaceAction);
  append(context, "'\n");
  appendContentLengthLine(context);
  append(context, "\n\n");
  append(context, emclient::kInterfaceEnvelopeOpen);
  append(context, emclient::kInterfaceV32Namespace);
  append(context, "'>\n");
  append(context,
         "<Header>\n"
         "<version>3.2</version>\n"
         "<application>\n"
         "<hostip>111.111.111.111</hostip>\n"
         "<hostname>notspecified</hostname>\n"
         "<applicationname>PELK</applicationname>\n"
         "<applicationtype>0a</applicationtype>\n"
         "</application>\n"
         "<tracerequest>always</tracerequest>\n"
         "<disablevalidation/>\n"
         "</Header>\n"
         "<Body>\n");
  append(context, "<username>");
  appendEscaped(context, context.session->userName);
  append(context, "</username>\n<userpassword>");
  appendEscaped(context, context.session->password);
  append(context, "</userpassword>\n<NsaServerOperation>\n<");
  append(context, operation);
  append(context, ">\n");
  keepOperation(context, operation);
}

void EmitV32Properties(CommandContext& context) { emitProperties(context, ""); }

void EndV32Request(CommandContext& context) {
  append(context, "</");
  append(context, context.session->work.currentOperation);
  append(context, ">\n</NsaServerOperation>\n</Body>\n</Envelope>\n");
  finishRequest(context);
}

}  // namespace request
