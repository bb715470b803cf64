#include "store_database.h"

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>

#include "pg_store_database.h"
#include "sqlite_store_database.h"

namespace vel::companion {

StoreStatement& StoreStatement::Bind(int index, std::int64_t value) {
  backend_->Bind(index, value);
  return *this;
}

StoreStatement& StoreStatement::Bind(int index, double value) {
  backend_->Bind(index, value);
  return *this;
}

StoreStatement& StoreStatement::Bind(int index, std::string_view value) {
  backend_->Bind(index, std::string(value));
  return *this;
}

StoreStatement& StoreStatement::Bind(int index, std::optional<double> value) {
  backend_->Bind(index, value ? StoreValue(*value) : StoreValue());
  return *this;
}

StoreStatement& StoreStatement::Bind(int index, std::optional<int> value) {
  backend_->Bind(index, value ? StoreValue(std::int64_t{*value}) : StoreValue());
  return *this;
}

StoreStatement& StoreStatement::BindNull(int index) {
  backend_->Bind(index, StoreValue());
  return *this;
}

void StoreStatement::Run() {
  while (Step()) {
  }
}

std::optional<double> StoreStatement::OptionalDouble(int column) const {
  if (IsNull(column)) return std::nullopt;
  return Double(column);
}

std::optional<int> StoreStatement::OptionalInt(int column) const {
  if (IsNull(column)) return std::nullopt;
  return Int(column);
}

StoreTransaction::StoreTransaction(StoreDatabase& database, Kind kind)
    : backend_(database.Begin(kind)) {}

StoreTransaction::~StoreTransaction() = default;

void PauseAfterConflict(int attempt) {
  // Apart at random, so that the two that met do not meet again; longer
  // each time, at most about 13 ms.
  thread_local std::minstd_rand random(std::random_device{}());
  const int most = 100 << std::min(attempt, 7);
  std::this_thread::sleep_for(
      std::chrono::microseconds(std::uniform_int_distribution<int>(0, most)(random)));
}

bool PostgresSpec(std::string_view spec) {
  return spec.starts_with("postgresql://") || spec.starts_with("postgres://");
}

std::unique_ptr<StoreDatabase> OpenStoreDatabase(const std::string& spec) {
  if (PostgresSpec(spec)) return std::make_unique<PgStoreDatabase>(spec);
  const std::string_view path =
      std::string_view(spec).starts_with("sqlite:") ? std::string_view(spec).substr(7) : spec;
  if (path.empty()) throw std::runtime_error("no database file named in \"" + spec + "\"");
  return std::make_unique<SqliteStoreDatabase>(std::filesystem::path(path));
}

}  // namespace vel::companion
