#include "cli/send.h"

#include <cstdio>
#include <utility>

#include "link/ti_link.h"

namespace tessaline::cli {

int sendProcessedText(const Options& options, std::string codes, std::vector<CalcPicture> pictures)
{
    SendRequest request;
    request.codes = std::move(codes);
    request.pictures = std::move(pictures);
    request.calculator = options.calculator;
    request.folder = options.calcFolder;
    request.cableModel = options.cableModel;
    request.port = options.port;
    request.timeoutTenths = options.timeoutTenths;
    request.replace = options.replace;
    request.archive = options.archive;
    request.name = options.calcName;
    if (request.name.empty()) {
        const std::string& file = !options.outputPath.empty() ? options.outputPath
                                  : options.inputPath != "-"  ? options.inputPath
                                                              : std::string();
        request.name = file.empty() ? std::string("text") : calcNameFromFileName(file);
    }

    const SendPlan plan = planSend(request);
    if (!plan.ok) {
        std::fprintf(stderr, "tessaline-process: %s\n", plan.error.c_str());
        return 1;
    }
    TiLink link;
    const SendResult result = link.send(request, {}, nullptr);
    if (!result.ok()) {
        std::string message = result.message;
        if (result.status == SendStatus::Held)
            message += result.held.size() == 1 ? " --replace replaces it." : " --replace replaces them.";
        std::fprintf(stderr, "tessaline-process: %s\n", message.c_str());
        return result.status == SendStatus::InvalidRequest ? 1 : kLinkFailed;
    }
    std::fprintf(stderr, "%s\n", result.message.c_str());
    return 0;
}

}  // namespace tessaline::cli
