// The page's comparison of the dialog's table with an earlier report from the workspace.
#pragma once

namespace httplib {
class Server;
}

namespace moldbom {

class UiHost;
class Workspace;

// GET /api/compare?report=NAME: the changes from the report to the table as shown. A view only:
// it reads the table between events and changes nothing in the dialog.
void AddCompareRoutes(httplib::Server& server, UiHost& host, const Workspace& workspace);

}  // namespace moldbom
