// The write cache of a simulated medium: what a power cut or a medium pulled out of its drive
// leaves on it. A file whose data changed keeps, beside its new data, what the medium holds of
// it until a handle of it is flushed; with SimWriteCache::All the medium also keeps the tree as
// it was at the last flush, and that is all that is left when the cache is lost.

#include <vector>

#include "os/sim/sim_file_system.h"
#include "os/sim/sim_node.h"

namespace os::sim {

namespace {

// Calls visit for every node below root (root too), without recursion.
template <typename Visit>
void ForEachNode(SimNode& root, Visit visit) {
    std::vector<SimNode*> stack{&root};
    while (!stack.empty()) {
        SimNode* node = stack.back();
        stack.pop_back();
        visit(*node);
        for (auto& [key, child] : node->children) {
            stack.push_back(child.get());
        }
    }
}

// What the medium holds of a file: its data as last flushed, at the size the file has now (the
// size is part of its entry), zeros where that data ends early.
void Settle(SimNode& node) {
    if (!node.durable) {
        return;
    }
    const uint64_t size = node.Size();
    std::vector<uint8_t> bytes = std::move(node.durable->bytes);
    if (bytes.size() > size) {
        bytes.resize(static_cast<size_t>(size));
    }
    node.zeroTail = size - bytes.size();
    node.bytes = std::move(bytes);
    node.durable.reset();
}

// A copy of the tree below from as the medium holds it.
std::shared_ptr<SimNode> CloneOnMedium(const SimNode& from, SimNode* parent) {
    auto copy = std::make_shared<SimNode>();
    copy->name = from.name;
    copy->directory = from.directory;
    copy->attributes = from.attributes;
    copy->times = from.times;
    copy->parent = parent;
    copy->medium = from.medium;
    copy->reparseTarget = from.reparseTarget;
    if (from.durable) {
        copy->bytes = from.durable->bytes;
        const uint64_t size = from.Size();
        if (copy->bytes.size() > size) {
            copy->bytes.resize(static_cast<size_t>(size));
        }
        copy->zeroTail = size - copy->bytes.size();
    } else {
        copy->bytes = from.bytes;
        copy->zeroTail = from.zeroTail;
    }
    for (const auto& [key, child] : from.children) {
        copy->children[key] = CloneOnMedium(*child, copy.get());
    }
    return copy;
}

}  // namespace

void SimFileSystem::BeforeDataChangeLocked(SimNode& node) {
    if (node.medium == nullptr || node.medium->spec_.writeCache == SimWriteCache::Off ||
        node.durable) {
        return;
    }
    node.durable = std::make_unique<SimNode::Durable>();
    node.durable->bytes = node.bytes;
    node.durable->zeroTail = node.zeroTail;
}

void SimFileSystem::FlushLocked(SimNode& node) {
    node.durable.reset();
    SimMedium* medium = node.medium;
    if (medium != nullptr && medium->spec_.writeCache == SimWriteCache::All && !node.removed) {
        medium->committed_ = CloneOnMedium(*medium->root_, nullptr);
    }
}

void SimFileSystem::LoseCacheLocked(SimMedium& medium) {
    switch (medium.spec_.writeCache) {
        case SimWriteCache::Off:
            return;
        case SimWriteCache::Data:
            ForEachNode(*medium.root_, [](SimNode& node) { Settle(node); });
            return;
        case SimWriteCache::All: {
            ForEachNode(*medium.root_, [](SimNode& node) { node.removed = true; });
            medium.root_ = CloneOnMedium(*medium.committed_, nullptr);
            uint64_t used = 0;
            ForEachNode(*medium.root_, [&used, &medium](SimNode& node) {
                if (!node.directory) {
                    used += medium.ClustersFor(node.Size());
                }
            });
            medium.usedClusters_ = used;
            return;
        }
    }
}

void SimFileSystem::CommitCacheLocked(SimMedium& medium) {
    if (medium.spec_.writeCache == SimWriteCache::Off) {
        return;
    }
    ForEachNode(*medium.root_, [](SimNode& node) { node.durable.reset(); });
    if (medium.spec_.writeCache == SimWriteCache::All) {
        medium.committed_ = CloneOnMedium(*medium.root_, nullptr);
    }
}

}  // namespace os::sim
