#pragma once

#include <filesystem>

#include "app_endpoint.h"
#include "app_request_handler.h"
#include "patch_folder.h"
#include "sign_in_pages.h"
#include "store_database.h"
#include "team_store.h"
#include "token_store.h"

namespace vel::companion {

// The companion server without its listeners: the database with the stores
// over it, and what answers the requests of each listener. CompanionServer
// puts HTTP listeners in front of it; the fuzz target asks it directly.
struct CompanionServices {
  // Opens the database `databaseSpec` names (OpenStoreDatabase; a bare
  // path or ":memory:" is SQLite) and makes or migrates its schema; throws
  // when either fails. The patch folder is only named here.
  // `strict`: the application server hands out and asks for session keys
  // (AppRequestHandler).
  CompanionServices(const std::string& databaseSpec, std::filesystem::path patchFolder,
                    SignInPages::Site signInSite, bool strict = false);
  CompanionServices(const CompanionServices&) = delete;
  CompanionServices& operator=(const CompanionServices&) = delete;

  std::unique_ptr<StoreDatabase> database;
  const int schemaFound;  // the schema version the database had before (0: new)
  TeamStore store;
  TokenStore tokens;
  SessionStore sessions;
  AppRequestHandler handler;
  AppEndpoint app;
  PatchFolder patches;
  SignInPages signIn;
};

}  // namespace vel::companion
