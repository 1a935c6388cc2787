// The benchmarks' results: tables with right-aligned columns, and the figures in their cells.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

std::string Fixed(double value, int nDigits);
std::string Number(uint64_t n);

class CTable {
 public:
  CTable(std::string strTitle, std::vector<std::string> vecHeads);
  void AddRow(std::vector<std::string> vecRow);
  void Print() const;

 private:
  std::string m_strTitle;
  std::vector<std::string> m_vecHeads;
  std::vector<std::vector<std::string>> m_vecRows;
};

}  // namespace bench
