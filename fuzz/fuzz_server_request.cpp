// What a client may send the companion server: the application server's
// form body (as it arrives, or a plaintext request sealed into one, to reach
// the handlers behind the cipher), a patch-server query, or a sign-in form.
// The first byte picks the form. Nothing may crash, hang or throw out.
#include <cpprest/asyncrt_utils.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "server/packet_cipher.h"
#include "vel-server/companion_services.h"
#include "vel-server/demo_seed.h"
#include "vel-server/form_fields.h"

namespace {

using namespace vel::companion;

std::filesystem::path PatchRoot() {
  const auto root = std::filesystem::temp_directory_path() / "vel-fuzz-patches";
  std::filesystem::create_directories(root / "2");
  std::ofstream(root / "2" / "a.zip") << "archive";
  return root;
}

// The server's own services over a database in memory, with the demo
// team's members, devices and bicycles for requests to name.
CompanionServices& Server() {
  static CompanionServices services(":memory:", PatchRoot(),
                                    SignInPages::Site{"http://127.0.0.1:3001", false});
  static const bool seeded = (SeedDemo(services.store), true);
  (void)seeded;
  return services;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // The cipher reports each refused packet on standard output.
  static const bool quiet = std::freopen("/dev/null", "w", stdout) != nullptr;
  (void)quiet;
  CompanionServices& server = Server();
  if (size == 0) return 0;
  const std::string rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  switch (data[0] % 5) {
    case 0: (void)server.app.Answer(rest); break;
    case 1: {
      const auto body = vel::PacketCipher().Encrypt(rest);
      if (body) {
        (void)server.app.Answer("packet=" + utility::conversions::to_base64(*body));
      }
      break;
    }
    case 2:
      (void)server.patches.Answer("GET", data[0] % 2 == 0 ? "/" : "/test", ParseQuery(rest));
      break;
    case 3: (void)server.signIn.Answer("POST", "/v2.8/dialog/oauth", {}, rest); break;
    default:
      (void)server.signIn.Answer("GET", data[0] % 2 == 0 ? "/v2.8/dialog/oauth" : "/debug_token",
                                 ParseQuery(rest), "");
      break;
  }
  return 0;
}
