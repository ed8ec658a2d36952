#pragma once

#include "CDialog.h"
#include "CProgressCtrl.h"
#include "CString.h"
#include "ImagePartReader.h"
#include "VariantTable.h"
#include "resource.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

struct InputFailure;

// The main dialog. It owns all of the converter's state: the selected image, the info log and
// the two progress meters. Selection and conversion are its two button handlers; the library
// does their work, the dialog shows its steps.
class CConverterDlg : public CDialog {
public:
    enum { IDD = IDD_MAIN };

    explicit CConverterDlg(CWnd* pParent = nullptr);

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnClone();
    void OnBrowse();

    // Appends one log entry, each line ended by CR LF, and shows it.
    void AppendInfo(std::initializer_list<CString> lines);

    CProgressCtrl m_progressTotal; // 0..10 over a whole conversion
    CProgressCtrl m_progressPart;  // the byte index while the boot-loader area is copied

    CString m_strPath;       // the selected image; empty when none is selected
    CString m_strInfo;       // the info log: only ever grows
    std::int32_t m_nVariant; // 0: a 1x image, 1: a 2x image
    // The current directory when the dialog started, where the boot-loader files and the
    // stripped image file lie. Holds the whole path, however long.
    CString m_szStartDir;
    std::uint32_t m_nFileSize = 0; // length of the file chosen last, accepted or not
    CString m_strFileName;         // name part of the image accepted last
    // What the image accepted last was when it was chosen: the clone converts that or nothing.
    ImageFacts m_chosen;

    HICON m_hIcon;

    DECLARE_MESSAGE_MAP()

private:
    class CloneSteps;
    using Buffer = std::vector<unsigned char>;

    // Shows why the boot-loader file cannot convert the chosen image: the error box when it
    // will not open, the wrong-boot-loader entry when it is of the wrong length or variant, the
    // file-error box otherwise. Nothing is written.
    void ReportBootLoaderFailure(const InputFailure& failure);
    // The entry of a boot-loader file that cannot convert the chosen image; nothing is written.
    void RefuseBootLoader();
    // Puts the image part through the stripped image file, as a full image always has been.
    void StripThroughFile(Buffer& part);
    bool ChosenImageIsStrippedFile() const;
    void RemoveStrippedImage() const;
    static void RemoveQuietly(const char* path);
};
