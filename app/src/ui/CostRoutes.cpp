// GET /api/cost: the lines' prices summed by tooling type and by supplier, the dialog's total as
// it shows it, and the state version read, so that the page knows what the sums belong to. No
// analysed table is a 409 that says why.
#include "CostRoutes.h"

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include "JsonResponse.h"
#include "UiHost.h"

namespace moldbom {
namespace {

using Json = nlohmann::json;

Json SharesJson(const std::vector<CostShare>& shares) {
  Json bars = Json::array();
  for (const CostShare& share : shares) bars.push_back({{"name", share.name}, {"price", share.price}, {"lines", share.lines}});
  return bars;
}

}  // namespace

void AddCostRoutes(httplib::Server& server, UiHost& host) {
  server.Get("/api/cost", [&host](const httplib::Request&, httplib::Response& response) {
    const Expected<UiHost::PricedTable> priced = host.CostOfTable();
    if (!priced)
      return SendJson(response, 409, {{"error", priced.Why()}, {"version", host.Hub().Current().versions.state}});
    const std::vector<CostLine>& lines = priced.Value().cost.lines;
    double sum = 0;
    for (const CostLine& line : lines) sum += line.price;
    SendJson(response, 200,
             {{"version", priced.Value().version},
              {"lines", lines.size()},
              {"uncertainTypes", std::count_if(lines.begin(), lines.end(), [](const CostLine& line) { return line.typeUncertain; })},
              {"sum", sum},
              {"total", priced.Value().cost.total},
              {"byType", SharesJson(SharesByType(lines))},
              {"bySupplier", SharesJson(SharesBySupplier(lines))}});
  });
}

}  // namespace moldbom
