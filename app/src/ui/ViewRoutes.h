// The 3D view's routes of the page's server: how far the scene's build has come, the scene as
// binary glTF, and which node draws which instance path.
#pragma once

namespace httplib {
class Server;
}

namespace moldview {
class ViewService;
}

namespace moldbom {

// The routes answer from the view alone: they never wait for the host thread.
void AddViewRoutes(httplib::Server& server, const moldview::ViewService& view);

}  // namespace moldbom
