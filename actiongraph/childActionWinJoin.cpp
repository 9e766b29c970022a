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

#include <memory>

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
    // Cancel in the wait window, the press kept once seen.
    bool Cancelled() override
    {
        cancelled_ = cancelled_ || WaitFormCancelled();
        return cancelled_;
    }
    bool WasCancelled() const { return cancelled_; }

private:
    TMDIActionChild& window_;
    TObjectTracks tracks_;
    TRedrawPacer pacer_{TRedrawPacer::Clock::now(), window_.LightRedrawInterval};
    bool cancelled_ = false;
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

TMDIActionChild::TJoinEnd TMDIActionChild::BtnJoinNearestClick()
{
    if (Joining || !Graph) {
        platform::Beep();
        return TJoinEnd::Refused;
    }
    // Each weight keeps its new value even when a later edit fails.
    if (!ReadFloat(EditAttrW, &AttrW) || !ReadFloat(EditRoleW, &RoleW) || !ReadFloat(EditActionW, &ActionW) ||
        !ReadFloat(EditFeatW, &FeatW))
        return TJoinEnd::Refused;
    if (g_actionConcepts)
        ConceptObject::SetWeightAndSum(g_actionConcepts, 10.0);
    if (g_roleConcepts)
        ConceptObject::SetWeightAndSum(g_roleConcepts, 1.0);

    double value = 0.0;
    if (!ReadFloat(EditValue, &value))
        return TJoinEnd::Refused;
    // Within a series the series' wait window (and its Cancel) serves.
    const WaitCommand wait("Joining nearest vertices ...", this, true);
    Joining = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{Joining};

    ClearPaths();
    SelectNode(nullptr);
    // A join cannot be undone step by step: the graph as it was waits here
    // until the run has ended.
    const std::unique_ptr<TGraph> before = Graph->Copy();
    WindowJoinHooks hooks(*this);
    JoinNearestNodes(*Graph, TDistanceWeights{AttrW, RoleW, ActionW, FeatW}, File ? File->features.get() : nullptr,
                     value, Depths, hooks);
    if (hooks.WasCancelled())
        Graph->Swap(*before);
    platform::Beep();
    RemoveMarkedFinish();
    DrawGraph();
    return hooks.WasCancelled() ? TJoinEnd::Cancelled : TJoinEnd::Done;
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
