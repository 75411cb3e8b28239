#pragma once
// CKelLearnFinalMachine<Item>: what the machines of final values (scalars and curves) share —
// a learn table keyed by the quantity, its file form, clean-up, restart and purge.

#include <string>
#include <utility>

#include "learn/KelLearnMachine.h"
#include "learn/KelLearnStore.h"
#include "learn/KelLearnTables.h"

template <typename Item>
class CKelLearnFinalMachine : public CKelLearnMachine {
 public:
  using table_t = CKelLearnTable<Item>;

  CKelLearnFinalMachine(CKelLearnStore& store, std::string tableName)
      : CKelLearnMachine(store), table_(std::move(tableName)) {}

  table_t& Table() { return table_; }
  const table_t& Table() const { return table_; }

  bool Read(CFile& file) override {
    table_.clear();
    return table_.read(file);
  }
  bool Write(CFile& file) const override { return table_.write(file); }

  void CleanUp() override {
    const auto& parametrised = params_.IpParamAndStore();
    std::erase_if(table_, [&parametrised](const auto& entry) {
      return parametrised.find(entry.first) == parametrised.end();
    });
  }

  void LearnNewEverything() override {
    for (auto& [key, item] : table_) {
      auto [n, found] = store_.NrToLearn(key);
      if (found) item.InitNewLearn(static_cast<unsigned>(n));
    }
  }

  void PurgeMachine() override { table_.clear(); }

 protected:
  table_t table_;
};
