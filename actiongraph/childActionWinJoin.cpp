// "Join" of the action-graph window: the window reads the weights and the join
// value, lends placement, progress and redraws, and actiongraph/model/Distances.*
// does the joining.
#include "actiongraph/childActionWin.h"

#include "actiongraph/model/Actiongraph.h"
#include "actiongraph/model/Distances.h"
#include "actiongraph/GraphRenderer.h"
#include "core/model/Common.h"
#include "core/concepts/ConceptHierarchies.h"
#include "core/learning/Features.h"
#include "core/model/RoboCupFile.h"
#include "platform/Hooks.h"
#include "platform/qt/Dialogs.h"
#include "ui/waitFormWin.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

// Lends the window's drawing and event loop to a join run.
class WindowJoinHooks final : public TJoinHooks {
public:
    explicit WindowJoinHooks(TMDIActionChild& window) : window_(window)
    {
        if (window.File)
            tracks_ = TObjectTracks(*window.File);
    }
    void Place(TNode* node) override { PlaceNodes(*window_.Graph, tracks_, nullptr, node); }
    void Status(const std::string& text) override { platform::SetWaitText(text); }
    void LightRedraw() override
    {
        if (pacer_.Due(TRedrawPacer::Clock::now()))
            window_.DrawGraph(false, true);
        else
            window_.PlaceAsDrawn();  // the later distances read the places the drawing sets
    }
    // The windows paint, but no click or key reaches any of them until the
    // run ends: closing or rebuilding the window now would pull the graph away.
    void ProcessEvents() override { platform::ProcessPendingEvents(); }
    void StoreFailed() override { platform::Beep(); }

private:
    TMDIActionChild& window_;
    TObjectTracks tracks_;
    TRedrawPacer pacer_{TRedrawPacer::Clock::now(), window_.LightRedrawInterval};
};

}  // namespace

void TMDIActionChild::ConnectJoinHandlers()
{
    connect(BtnJoinNearest, &QPushButton::clicked, this, [this] { BtnJoinNearestClick(); });
}

bool TMDIActionChild::ReadFloat(QLineEdit* edit, double* value)
{
    try {
        *value = StrToFloatDot(edit->text().toStdString());
        return true;
    } catch (const EConvertError& e) {
        platform::MessageBox(this, QString::fromStdString(e.what()), "Error");
        return false;
    }
}

double TMDIActionChild::NodeDistance(TNode* a, TNode* b)
{
    const TDistanceWeights weights{AttrW, RoleW, ActionW, FeatW};
    return ::NodeDistance(*a, *b, weights, File ? File->features.get() : nullptr);
}

void TMDIActionChild::BtnJoinNearestClick()
{
    if (Joining || !Graph) {
        platform::Beep();
        return;
    }
    // Each weight keeps its new value even when a later edit fails.
    if (!ReadFloat(EditAttrW, &AttrW) || !ReadFloat(EditRoleW, &RoleW) || !ReadFloat(EditActionW, &ActionW) ||
        !ReadFloat(EditFeatW, &FeatW))
        return;
    if (g_actionConcepts)
        ConceptObject::SetWeightAndSum(g_actionConcepts, 10.0);
    if (g_roleConcepts)
        ConceptObject::SetWeightAndSum(g_roleConcepts, 1.0);

    WaitFormGuard wait("Joining nearest vertices ...");
    double value = 0.0;
    if (!ReadFloat(EditValue, &value))
        return;
    Joining = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{Joining};

    ClearPaths();
    SelectNode(nullptr);
    WindowJoinHooks hooks(*this);
    JoinNearestNodes(*Graph, TDistanceWeights{AttrW, RoleW, ActionW, FeatW}, File ? File->features.get() : nullptr,
                     value, hooks);
    platform::Beep();
    RemoveMarkedFinish();
    DrawGraph();
}

void TMDIActionChild::BtnJoinClick()
{
    if (Joining || !Graph || Graph->NodeCount() < 2) {
        platform::Beep();
        return;
    }
    ClearPaths();
    SelectNode(nullptr);
    Graph->JoinNodes(0, 1);
    RefillActionNodes();
    DrawGraph();
}
