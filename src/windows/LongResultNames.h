#pragma once
// The long names of the part results, as the report header shows them.
//
// Indexed by NorviDefs::result_t: 0 n.O.K., 1 O.K., 2 no evaluation, 3 system error; every
// other value reads as the fifth name ("Result code?"). The four editable names come from the
// application store entry "LongResultNames", whose fields are in another order: 0 O.K.,
// 1 n.O.K., 2 not evaluated, 3 system error. An empty or missing field takes the built-in
// operator text. Publish() hands the five names by result value to the messages store entry
// "LongResultNames", where other modules read them.

#include <array>
#include <string>

class CLongResultNames {
 public:
  static constexpr int kCount = 5;

  CLongResultNames() { Load(); }

  // Reads the application store (and the built-in texts of the display language).
  void Load();
  void Publish() const;
  // The name of a result value.
  const std::string& Name(int result) const;

 private:
  std::array<std::string, kCount> m_names;
};
