#include "Table.h"

#include <algorithm>
#include <cstdio>

namespace bench {

std::string Fixed(double value, int nDigits) {
  char sz[64];
  std::snprintf(sz, sizeof sz, "%.*f", nDigits, value);
  return sz;
}

std::string Number(uint64_t n) { return std::to_string(n); }

CTable::CTable(std::string strTitle, std::vector<std::string> vecHeads)
    : m_strTitle(std::move(strTitle)), m_vecHeads(std::move(vecHeads)) {}

void CTable::AddRow(std::vector<std::string> vecRow) { m_vecRows.push_back(std::move(vecRow)); }

void CTable::Print() const {
  std::vector<size_t> vecWidths(m_vecHeads.size());
  for (size_t i = 0; i < m_vecHeads.size(); ++i) vecWidths[i] = m_vecHeads[i].size();
  for (const auto& row : m_vecRows)
    for (size_t i = 0; i < row.size() && i < vecWidths.size(); ++i)
      vecWidths[i] = std::max(vecWidths[i], row[i].size());
  auto printRow = [&](const std::vector<std::string>& row) {
    std::string strLine = "|";
    for (size_t i = 0; i < vecWidths.size(); ++i) {
      const std::string& cell = i < row.size() ? row[i] : std::string();
      strLine.append(vecWidths[i] - cell.size() + 1, ' ').append(cell).append(" |");
    }
    std::printf("%s\n", strLine.c_str());
  };
  std::printf("\n%s\n", m_strTitle.c_str());
  printRow(m_vecHeads);
  std::string strRule = "|";
  for (size_t nWidth : vecWidths) strRule.append(nWidth + 1, '-').append(":|");
  std::printf("%s\n", strRule.c_str());
  for (const auto& row : m_vecRows) printRow(row);
  std::fflush(stdout);
}

}  // namespace bench
