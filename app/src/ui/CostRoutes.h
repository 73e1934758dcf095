// The cost view's route of the page's server: the table's prices by tooling type and supplier.
#pragma once

namespace httplib {
class Server;
}

namespace moldbom {

class UiHost;

void AddCostRoutes(httplib::Server& server, UiHost& host);

}  // namespace moldbom
