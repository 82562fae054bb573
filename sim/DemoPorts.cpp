#include "sim/DemoPorts.h"

#include "link/Clock.h"
#include "link/PipeTransport.h"
#include "link/PortRegistry.h"
#include "sim/SimulatedController.h"

#include <deque>

namespace vtl::sim {

void registerDemoPorts() {
    // The controllers must outlive every transport the registry hands out.
    static std::deque<SimulatedController> controllers;
    if (!controllers.empty()) return;
    const Model models[] = {Model::Main,    Model::Lan490,  Model::Lan600,
                            Model::Lan602,  Model::Sub3000, Model::Sub4000,
                            Model::Sub5000, Model::Sub6000, Model::Sub7000};
    for (Model model : models) {
        ControllerOptions options;
        options.model = model;
        options.address = isSubPanel(model) ? 5 : 1;
        options.lineRate = 19200;
        SimulatedController& controller = controllers.emplace_back(options);
        const QString name =
            QStringLiteral("SIM %1 %2")
                .arg(modelName(model), isSubPanel(model)      ? QStringLiteral("panel")
                                       : model == Model::Main ? QStringLiteral("panel")
                                                              : QStringLiteral("controller"));
        PortRegistry::instance().add(
            {name, QStringLiteral("Simulated controller"), QStringLiteral("Vantrel"), {}},
            [&controller](const QString&) -> std::unique_ptr<Transport> {
                return std::make_unique<PipeTransport>(controller, RealClock::instance());
            });
    }
}

} // namespace vtl::sim
