#pragma once
// Root of the polymorphic objects that the containers carry: tree-item data, grid cell objects,
// collection nodes. Deleting through a TObject* destroys the whole object.

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
};
