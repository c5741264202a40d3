#pragma once
// Field-list structures: parallel TPriorityItem lists describing which fields a query, a record list
// or a report table shows and how. Item i of every list of one structure describes the same field.
// Field items are TVktField identifiers; sort marks are stored uninterpreted (the select builder's
// order values).
//
// XML form of TViewFieldStruct (children of the node given to SaveToXml / LoadFromXml):
//   <ViewField Name="Data" Order="1" Width="120"/>   one per column, in column order;
//   Name is the field's column name, Order and Width decimal integers.
#include "core/Priorityitem.h"
#include "data/Vkttabledefine.h"
#include "platform/Xml.h"

// Fields and sort marks of a data-bound report query.
class TAccessFieldStruct {
public:
    TAccessFieldStruct() = default;
    TAccessFieldStruct(const TAccessFieldStruct&) = default;
    TAccessFieldStruct& operator=(const TAccessFieldStruct&) = default;
    virtual ~TAccessFieldStruct() = default;

    // True when any list differs from the other's corresponding list.
    bool operator!=(const TAccessFieldStruct& other) const;

    const TPriorityItem& GetFields() const { return fields_; }
    TPriorityItem& GetFields() { return fields_; }
    void SetFields(const TPriorityItem& value) { fields_ = value; }
    const TPriorityItem& GetOrders() const { return orders_; }
    TPriorityItem& GetOrders() { return orders_; }
    void SetOrders(const TPriorityItem& value) { orders_ = value; }

private:
    TPriorityItem fields_;
    TPriorityItem orders_;
};

// Columns of a record list: field, sort mark and width of each column.
class TViewFieldStruct {
public:
    TViewFieldStruct() = default;
    TViewFieldStruct(const TViewFieldStruct&) = default;
    TViewFieldStruct& operator=(const TViewFieldStruct&) = default;
    virtual ~TViewFieldStruct() = default;

    bool operator!=(const TViewFieldStruct& other) const;

    const TPriorityItem& GetName() const { return name_; }
    TPriorityItem& GetName() { return name_; }
    void SetName(const TPriorityItem& value) { name_ = value; }
    const TPriorityItem& GetOrder() const { return order_; }
    TPriorityItem& GetOrder() { return order_; }
    void SetOrder(const TPriorityItem& value) { order_ = value; }
    const TPriorityItem& GetWidth() const { return width_; }
    TPriorityItem& GetWidth() { return width_; }
    void SetWidth(const TPriorityItem& value) { width_ = value; }

    // Appends one "ViewField" element per column to `node`. Order and Width must hold at least as
    // many items as Name: otherwise platform::ListIndexError is raised before anything is appended.
    void SaveToXml(platform::XmlNode node) const;
    // Replaces the lists by the columns of the node's child elements, in document order, whatever
    // their element names; a null node leaves the lists empty. A child whose Name is no known
    // column name is skipped. A missing or non-integer Order or Width raises platform::VariantError;
    // the lists then hold the columns read before that child.
    // Fields the select builder cannot list on `base` (CanListField) are skipped like unknown
    // names; None keeps every known field.
    void LoadFromXml(const platform::XmlNode& node, TVktTable base = TVktTable::None);

private:
    TPriorityItem name_;
    TPriorityItem order_;
    TPriorityItem width_;
};

// Columns of a report table: as TViewFieldStruct plus the line-return setting of each column
// (its values are defined by the reports that fill it).
class TPreviewFieldStruct {
public:
    TPreviewFieldStruct() = default;
    TPreviewFieldStruct(const TPreviewFieldStruct&) = default;
    TPreviewFieldStruct& operator=(const TPreviewFieldStruct&) = default;
    virtual ~TPreviewFieldStruct() = default;

    bool operator!=(const TPreviewFieldStruct& other) const;

    const TPriorityItem& GetName() const { return name_; }
    TPriorityItem& GetName() { return name_; }
    void SetName(const TPriorityItem& value) { name_ = value; }
    const TPriorityItem& GetOrder() const { return order_; }
    TPriorityItem& GetOrder() { return order_; }
    void SetOrder(const TPriorityItem& value) { order_ = value; }
    const TPriorityItem& GetWidth() const { return width_; }
    TPriorityItem& GetWidth() { return width_; }
    void SetWidth(const TPriorityItem& value) { width_ = value; }
    const TPriorityItem& GetReturn() const { return return_; }
    TPriorityItem& GetReturn() { return return_; }
    void SetReturn(const TPriorityItem& value) { return_ = value; }

private:
    TPriorityItem name_;
    TPriorityItem order_;
    TPriorityItem width_;
    TPriorityItem return_;
};
