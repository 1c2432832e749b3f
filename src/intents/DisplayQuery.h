#pragma once

#include <string>
#include <vector>

#include "intents/DisplayEntity.h"
#include "registry/DisplayManager.h"
#include "runtime/Task.h"

namespace lumadesk {

// Tells automation which displays exist and turns stored identifiers back into entities. Reads the
// manager's visible displays, after the manager's first refresh. Holds nothing but the manager, which
// must outlive the query's tasks.
class DisplayQuery {
public:
    explicit DisplayQuery(DisplayManager& manager) : m_manager(manager) {}

    // Every visible display, sorted by sortOrder.
    Task<std::vector<DisplayEntity>> allEntities() const;
    // What pickers offer: the same as allEntities().
    Task<std::vector<DisplayEntity>> suggestedEntities() const { return allEntities(); }
    // The entities of allEntities() whose hardware ID is among the identifiers, in sorted order;
    // identifiers that match nothing are dropped.
    Task<std::vector<DisplayEntity>> entities(std::vector<std::string> identifiers) const {
        return entitiesFor(m_manager, std::move(identifiers));
    }
    // The entity with the hardware ID; when no visible display has it, an entity named by the ID alone,
    // so that an action run with it reports the display as not found.
    Task<DisplayEntity> entity(std::string hardwareID) const {
        return entityFor(m_manager, std::move(hardwareID));
    }

private:
    // Coroutines of their own, so that a task does not need the query that made it.
    static Task<std::vector<DisplayEntity>> loadedEntities(DisplayManager& manager);
    static Task<std::vector<DisplayEntity>> entitiesFor(DisplayManager& manager,
                                                        std::vector<std::string> identifiers);
    static Task<DisplayEntity> entityFor(DisplayManager& manager, std::string hardwareID);

    DisplayManager& m_manager;
};

// The hardware IDs a display argument names among the entities: the entity with that hardware ID, else
// every entity whose name is the argument, with or without the disconnected suffix; none when nothing
// fits. The one rule by which every front end finds a display the user named.
std::vector<std::string> hardwareIDsNamed(const std::vector<DisplayEntity>& entities,
                                          const std::string& argument);

// The visible display with the hardware ID (the first in list order); throws
// DisplayIntentError::displayNotFound.
Display lookUpDisplay(const DisplayManager& manager, const std::string& hardwareID);

}  // namespace lumadesk
