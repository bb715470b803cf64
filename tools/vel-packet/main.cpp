// vel-packet: seals and opens the application server's packets and the
// program's sealed local files, for looking inside the traffic.
#include <cpprest/json.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <exception>
#include <iostream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "server/packet_cipher.h"
#include "server/packet_envelope.h"
#include "server/sealed_file.h"
#include "tools/common/command_line.h"

namespace {

constexpr const char* kTool = "vel-packet";

constexpr const char* kUsage =
    "usage: vel-packet seal | open | seal-file PATH | open-file PATH\n"
    "  seal            request JSON on stdin -> form body \"packet=...\"\n"
    "  open            Base64 ciphertext, \"packet=...\" or a reply body {\"packet\":...} -> JSON\n"
    "  seal-file PATH  JSON on stdin -> raw ciphertext file (as VEL.json and VEL.f)\n"
    "  open-file PATH  raw ciphertext file -> JSON";

// Results go here. Standard output itself is pointed at /dev/null: the
// cipher's "ERR: ..." lines would only repeat the tool's own error line.
FILE* g_result = stdout;

// The JSON parser's and the cipher's texts may hold line breaks; the
// failure stays one line.
int Fail(std::string message) {
  std::replace_if(
      message.begin(), message.end(), [](char c) { return c == '\n' || c == '\r'; }, ' ');
  return vel::tools::Fail(kTool, message);
}

int Print(const std::string& text) {
  std::fprintf(g_result, "%s\n", text.c_str());
  return std::fflush(g_result) == 0 ? 0 : Fail("cannot write the result");
}

std::string ReadInput() {
  return std::string(std::istreambuf_iterator<char>(std::cin), std::istreambuf_iterator<char>());
}

std::string_view Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

int Seal() {
  const auto body = vel::SealRequest(web::json::value::parse(ReadInput()));
  if (!body) return Fail("the request cannot be sealed (at most 4095 bytes of JSON text)");
  return Print(*body);
}

int Open() {
  const std::string input = ReadInput();
  const std::string_view text = Trim(input);
  web::json::value value;
  bool opened = false;
  if (text.starts_with('{')) {
    opened = vel::OpenReply(web::json::value::parse(std::string(text)), value);
  } else if (text.starts_with(vel::kPacketField)) {
    opened = vel::OpenRequest(text, value);
  } else {
    opened = vel::OpenPacket(std::string(text), value);
  }
  if (!opened) return Fail("the packet does not decrypt (another key, or damaged)");
  return Print(value.serialize());
}

int SealFile(const std::string& path) {
  const web::json::value value = web::json::value::parse(ReadInput());
  const std::size_t size = vel::PacketCipher::CipherLength(value.serialize().size());
  if (size > vel::kMaxSealedFileBytes) {
    return Fail("sealed, the file would have " + std::to_string(size) +
                " bytes; the program reads at most " + std::to_string(vel::kMaxSealedFileBytes));
  }
  if (!vel::WriteSealedFile(path, value)) return Fail("cannot write '" + path + "'");
  return 0;
}

int OpenFile(const std::string& path) {
  const vel::SealedFile file = vel::ReadSealedFile(path);
  switch (file.status) {
    case vel::SealedFileStatus::kOk: return Print(file.value.serialize());
    case vel::SealedFileStatus::kCannotOpen: return Fail("cannot open '" + path + "'");
    case vel::SealedFileStatus::kTooLong:
      return Fail("'" + path + "' is longer than " + std::to_string(vel::kMaxSealedFileBytes) +
                  " bytes");
    case vel::SealedFileStatus::kUnreadable: return Fail("cannot read '" + path + "'");
    case vel::SealedFileStatus::kNotDecrypted: return Fail("'" + path + "' does not decrypt");
    case vel::SealedFileStatus::kNotJson: return Fail("'" + path + "' does not hold JSON text");
  }
  return Fail("cannot open '" + path + "'");
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args = vel::tools::Arguments(argc, argv);
  if (vel::tools::AnsweredHelp(args, kUsage)) return 0;
  const int result = ::dup(STDOUT_FILENO);
  const int null = ::open("/dev/null", O_WRONLY);
  if (result < 0 || null < 0 || (g_result = ::fdopen(result, "w")) == nullptr ||
      ::dup2(null, STDOUT_FILENO) < 0) {
    return Fail("cannot set up standard output");
  }
  ::close(null);
  // Show members in the order they were written or received.
  web::json::keep_object_element_order(true);
  try {
    if (args.size() == 1 && args[0] == "seal") return Seal();
    if (args.size() == 1 && args[0] == "open") return Open();
    if (args.size() == 2 && args[0] == "seal-file") return SealFile(args[1]);
    if (args.size() == 2 && args[0] == "open-file") return OpenFile(args[1]);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  return Fail("bad arguments (see vel-packet --help)");
}
