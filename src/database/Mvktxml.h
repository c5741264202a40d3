#pragma once
// TVktXmlFunctor: the export module. Writes chosen data records of one database folder, the records
// their recipe items name and the master rows they reference, into one UTF-8 XML file. It reads the
// database through a connection of its own (opened for one export, closed when it ends), writes
// nothing to the database but what reading its DatabaseID setting registers, and fires no notice.
//
// The file (attributes in the order listed; every element is written, whatever its content):
//
//   <VktDataObject Version="1.0">
//     <DataBase ID="{database GUID}"/>
//     <DataList>      one <Data> per exported record, in export order (below)
//     <ClassList>     <Class Class_ID TreeID ClassType Class Class2 Icon_Key/>
//     <FormList>      <Form Units_ID UnitsType Units Units2/>
//     <UnitList>      <Unit Units_ID UnitsType Units Units2/>
//     <DealerList>    <Dealer Dealer_ID Company Dealer PostCode Address Tel Tel2 Fax EMail/>
//     <AttrItemList>  <AttrItem AttrItem_ID Attribute/>
//   </VktDataObject>
//
//   <Data Data_ID ClassType Class_Key Form_Key Data Data2 UseUnit_Key UsePrice InvItem CreateDate
//         ChangeDate [Conserve]      only when true
//                    [EraseDate]     only when the record lies in the trash
//         then by ClassType:  1  BuyUnit_Key BuyPrice Quantity Yield Dealer_Key
//                             2  Complete TotalPrice SalePrice
//                             3  Information Information2 Complete TotalPrice SalePrice>
//     <Memo Value/>       when the record has a memo (its rich text)
//     <Image Value/>      when it has a picture: Base64, CR LF after every 80 characters
//     <Item ItemIndex Category CatIndex Data_Key ItemUse ItemPrice ItemUnit_Key ItemUsePrice/>
//                         records of ClassType above 1 only, by ItemIndex
//     <AttrCheck AttrItem_Key Value/>   by AttrItem_Key
//   </Data>
//
// Value texts: integers in decimal; float and currency columns in the shortest text that reads
// back exactly, "." as decimal separator, in plain notation from 0.0001 to below 1E15; booleans "True"/"False"; date-times "yyyy/mm/dd h:nn:ss"
// ("yyyy/mm/dd" at midnight); NULL "" (the attribute is still written). Texts are written as
// stored; characters XML cannot carry (controls other than tab, CR and LF, malformed UTF-8) become
// a space or U+FFFD.
//
// Export order: the chosen ids (each once), then every record an exported recipe or menu names
// in an item, appended at its first reference; an id without a data row is skipped. Master lists
// hold each referenced key once, in order of first reference; a key without a row gives no
// element. A class deeper than the first level of user classes (depth > 3) brings its parent,
// appended after the classes referenced so far, and so on up to depth 3.
//
// Failures: each record and each master list is written under its own guard; an error inside one
// ends that record or list where it happened and the export goes on. Reading the DatabaseID and
// saving the file raise to the caller. The file is replaced atomically: a failed export leaves any
// earlier file as it was.
#include <string>

#include "core/Priorityitem.h"
#include "platform/Xml.h"

class TVktXmlFunctor {
public:
    TVktXmlFunctor();
    ~TVktXmlFunctor();
    TVktXmlFunctor(const TVktXmlFunctor&) = delete;
    TVktXmlFunctor& operator=(const TVktXmlFunctor&) = delete;

    // Binds the module to a database folder (one trailing '/' is cut).
    void SetPath(const std::string& path);
    std::string GetPath() const;

    // Writes the export file of the records `ids` (see above). Raises platform::DatabaseError when
    // the folder holds no readable database and platform::FileError when the file cannot be written.
    void SaveXml(const std::string& fileName, TPriorityItem ids);

private:
    struct TExport;   // the state of one SaveXml call: connection, statements, reference lists

    void WriteDataBase(platform::XmlNode root, TPriorityItem ids);
    void WriteDataList(TExport& run, platform::XmlNode parent, int id);
    void WriteClassList(TExport& run, platform::XmlNode list);
    void WriteFormList(TExport& run, platform::XmlNode list);
    void WriteUnitList(TExport& run, platform::XmlNode list);
    void WriteDealerList(TExport& run, platform::XmlNode list);
    void WriteAttrItemList(TExport& run, platform::XmlNode list);

    std::string path_;   // bound folder, no trailing '/'
};

// The process-wide module, created on first use, bound to `path` on every call.
TVktXmlFunctor& GetVktXmlFunctor(const std::string& path);
