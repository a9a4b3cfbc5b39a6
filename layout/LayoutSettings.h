#pragma once
// The organizer's layout in the module's settings: the level chosen, the
// slope at it and the first position, after each display's own settings.
class PlotrexOrganizer;
class Serializater;

class LayoutSettings {
  public:
    explicit LayoutSettings(PlotrexOrganizer& organizer);

    // A layout still waiting to be fitted to data that never showed is not
    // the user's: only the displays' settings are written then.
    void Save(Serializater& s);
    // A key that is missing or empty leaves that part of the layout as it
    // is. True when a level was stored.
    bool Load(Serializater& s);

  private:
    PlotrexOrganizer& organizer_;
};
