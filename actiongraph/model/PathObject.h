// A scored path through an action graph: up to five connections, stored end
// first (element 0 is the last connection in time, its target the path's final
// node; the target of element k + 1 is the source of element k), and a value.
// The path holds its list, not the connections, which belong to the graph.
//
// Paths are shared: the window's path list, the strategy window's lists and
// its chunks may hold the same path, and a path lives while one of them does.
#pragma once

#include <memory>
#include <vector>

class TConnection;

class TPathObject {
public:
    TPathObject() = default;
    TPathObject(const TPathObject&) = default;
    TPathObject& operator=(const TPathObject&) = default;
    virtual ~TPathObject() = default;

    std::vector<TConnection*>& Connections() { return connections_; }
    const std::vector<TConnection*>& Connections() const { return connections_; }
    double Value() const { return value_; }
    void SetValue(double value) { value_ = value; }

private:
    std::vector<TConnection*> connections_;
    double value_ = 0.0;
};

using TPathPtr = std::shared_ptr<TPathObject>;
