// The ancestor of the screens' sheet windows. Descendants call its handlers first.
//
// A resizable sheet's grids follow its size through the resize service: they stretch to the
// right and down with the window, while fields and buttons keep their place.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/runtime/window.h"
#include "screens/host/host.h"
#include "screens/host/n_cst_resize.h"

namespace host {

class w_mysheet : public runtime::Window {
  public:
    w_mysheet(Host& host, std::string class_name);

    Host& host() const { return host_; }

    // "1" while a save asked for by a close has been refused; every close attempt starts
    // with it cleared, so a refusal keeps the window open only for the attempt it belongs to.
    std::string editflag;
    // The close guard's count of unsaved deletions and changes.
    std::int64_t ltotalmodified = 0;

    // The resize service of this sheet.
    n_cst_resize inv_resize;

    std::optional<std::string> instance_variable(std::string_view name) const override;

    int create() override;
    int open() override;
    int resize(int sizetype, int newwidth, int newheight) override;
    int closequery() override;

  private:
    Host& host_;
};

}  // namespace host
