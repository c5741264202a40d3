import javax.swing.text.*;
import javax.swing.text.rtf.RTFEditorKit;
import java.io.FileOutputStream;

public class JdkRtf {
    public static void main(String[] args) throws Exception {
        DefaultStyledDocument doc = new DefaultStyledDocument();
        SimpleAttributeSet plain = new SimpleAttributeSet();
        StyleConstants.setFontFamily(plain, "Serif");
        StyleConstants.setFontSize(plain, 12);
        SimpleAttributeSet bold = new SimpleAttributeSet(plain);
        StyleConstants.setBold(bold, true);
        doc.insertString(doc.getLength(), "Chef\u2019s stock \u2014 a base for sauces\n", bold);
        doc.insertString(doc.getLength(), "\u2022 bones, roasted\n", plain);
        doc.insertString(doc.getLength(), "\u2022 mirepoix \u2013 onion, carrot, celery\n", plain);
        doc.insertString(doc.getLength(), "Simmer \u201cbarely\u201d for 6 hours; skim often.\n", plain);
        doc.insertString(doc.getLength(), "Cr\u00e8me br\u00fbl\u00e9e, caf\u00e9 \u00d7 2 \u00e0 6\u00b0C\n", plain);
        new RTFEditorKit().write(new FileOutputStream(args[0]), doc, 0, doc.getLength());
    }
}
