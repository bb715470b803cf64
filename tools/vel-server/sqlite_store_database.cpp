#include "sqlite_store_database.h"

#include <type_traits>

namespace vel::companion {
namespace {

class SqliteStatementBackend : public StoreStatement::Backend {
 public:
  SqliteStatementBackend(SqliteTransaction& transaction, std::string_view sql)
      : statement_(transaction.Prepare(sql)) {}

  void Bind(int index, StoreValue value) override {
    std::visit(
        [&](const auto& given) {
          using T = std::decay_t<decltype(given)>;
          if constexpr (std::is_same_v<T, std::monostate>) {
            statement_.BindNull(index);
          } else if constexpr (std::is_same_v<T, std::string>) {
            statement_.Bind(index, std::string_view(given));
          } else {
            statement_.Bind(index, given);
          }
        },
        value);
  }
  bool Step() override { return statement_.Step(); }
  bool IsNull(int column) const override { return statement_.IsNull(column); }
  std::int64_t Int64(int column) const override { return statement_.Int64(column); }
  double Double(int column) const override { return statement_.Double(column); }
  std::string Text(int column) const override { return statement_.Text(column); }

 private:
  SqliteStatement statement_;
};

class SqliteTransactionBackend : public StoreTransaction::Backend {
 public:
  SqliteTransactionBackend(SqliteDatabase& database, StoreTransaction::Kind kind)
      : transaction_(database, kind == StoreTransaction::Kind::kWrite
                                   ? SqliteTransaction::Kind::kWrite
                                   : SqliteTransaction::Kind::kRead) {}

  std::unique_ptr<StoreStatement::Backend> Prepare(std::string_view sql) override {
    return std::make_unique<SqliteStatementBackend>(transaction_, sql);
  }
  void Exec(const char* sql) override { transaction_.Exec(sql); }
  std::int64_t LastInsertId() override { return transaction_.LastInsertId(); }
  std::int64_t Changes() const override { return transaction_.Changes(); }
  void Commit() override { transaction_.Commit(); }

  SqliteTransaction& Transaction() { return transaction_; }

 private:
  SqliteTransaction transaction_;
};

}  // namespace

SqliteStoreDatabase::SqliteStoreDatabase(const std::filesystem::path& file)
    : file_(file), database_(file) {}

std::unique_ptr<StoreTransaction::Backend> SqliteStoreDatabase::Begin(StoreTransaction::Kind kind) {
  return std::make_unique<SqliteTransactionBackend>(database_, kind);
}

int SqliteStoreDatabase::Migrate(std::span<const SchemaMigration> migrations) {
  SqliteTransaction transaction(database_, SqliteTransaction::Kind::kWrite);
  const int found = ApplyMigrations(transaction, migrations);
  transaction.Commit();
  return found;
}

}  // namespace vel::companion
