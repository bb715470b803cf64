#include "companion_services.h"

#include "schema_migrations.h"

namespace vel::companion {

CompanionServices::CompanionServices(const std::string& databaseSpec,
                                     std::filesystem::path patchFolder,
                                     SignInPages::Site signInSite, bool strict)
    : database(OpenStoreDatabase(databaseSpec)),
      schemaFound(MigrateSchema(*database)),
      store(*database),
      tokens(*database),
      sessions(*database),
      handler(store, tokens, strict ? &sessions : nullptr),
      app(handler),
      patches(std::move(patchFolder)),
      signIn(tokens, std::move(signInSite)) {}

}  // namespace vel::companion
