// A reply of the application server as it arrives: the Base64 text of the
// packet, the whole JSON body, or (to reach the parser behind the cipher)
// a plaintext the server might seal. The first byte picks the form. Every
// failure must be a false or an exception of the std::exception family.
#include <cpprest/asyncrt_utils.h>
#include <cpprest/json.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <exception>
#include <string>

#include "server/packet_cipher.h"
#include "server/packet_envelope.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The cipher reports each refused packet on standard output.
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  web::json::value reply;
  try {
    switch (data[0] % 3) {
      case 0: vel::OpenPacket(rest, reply); break;
      case 1: vel::OpenReply(web::json::value::parse(rest), reply); break;
      default: {
        const auto cipher = vel::PacketCipher().Encrypt(rest);
        if (cipher) vel::OpenPacket(utility::conversions::to_base64(*cipher), reply);
        break;
      }
    }
    (void)reply.serialize();
  } catch (const std::exception&) {
  }
  return 0;
}
