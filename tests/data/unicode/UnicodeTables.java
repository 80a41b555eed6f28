// Prints what a JDK's Character and String methods answer, for the runtime's Unicode tests.
//   characters.txt: every code point from U+0000 to U+10FFFF in runs that answer alike, one run a line:
//     "first last flags upper lower title" in hexadecimal; flags: 1 isLetter, 2 isDigit, 4 isUpperCase,
//     8 isLowerCase, 10 isWhitespace, 20 isAlphabetic, 40 isSpaceChar, 80 isTitleCase, 100 isIdeographic,
//     200 isDefined; upper, lower and title are the simple mappings' distance from the code point
//     (toUpperCase(cp) - cp and so on), so a run of letters with the same distance stays one line.
//   numbers.txt: every code point for which Character.getNumericValue or Character.digit(cp, 36) is not
//     -1: "codepoint getNumericValue digit" (hexadecimal, then decimal).
//   strings.txt: per text "text<TAB>toUpperCase()<TAB>toLowerCase()" and per pair of texts
//     "= a<TAB>b<TAB>equalsIgnoreCase compareTo compareToIgnoreCase"; texts are written with printable
//     ASCII as it is and every other code unit as \\uXXXX.
// Run: javac UnicodeTables.java && java -Duser.language=de -Duser.country=DE UnicodeTables
import java.io.*;
import java.util.*;

public class UnicodeTables {
    static int flags(int cp) {
        int f = 0;
        if (Character.isLetter(cp)) f |= 0x1;
        if (Character.isDigit(cp)) f |= 0x2;
        if (Character.isUpperCase(cp)) f |= 0x4;
        if (Character.isLowerCase(cp)) f |= 0x8;
        if (Character.isWhitespace(cp)) f |= 0x10;
        if (Character.isAlphabetic(cp)) f |= 0x20;
        if (Character.isSpaceChar(cp)) f |= 0x40;
        if (Character.isTitleCase(cp)) f |= 0x80;
        if (Character.isIdeographic(cp)) f |= 0x100;
        if (Character.isDefined(cp)) f |= 0x200;
        return f;
    }

    static String props(int cp) {
        return Integer.toHexString(flags(cp)) + " " + Integer.toString(Character.toUpperCase(cp) - cp, 16) + " "
            + Integer.toString(Character.toLowerCase(cp) - cp, 16) + " "
            + Integer.toString(Character.toTitleCase(cp) - cp, 16);
    }

    static String escape(String s) {
        StringBuilder b = new StringBuilder();
        for (char c : s.toCharArray()) {
            if (c >= 0x20 && c < 0x7F && c != '\\') b.append(c);
            else b.append(String.format("\\u%04X", (int) c));
        }
        return b.toString();
    }

    public static void main(String[] args) throws IOException {
        try (PrintWriter out = new PrintWriter("characters.txt", "UTF-8")) {
            out.println("# Character of " + System.getProperty("java.vm.name") + " " + System.getProperty("java.version")
                + ": first last flags upper lower title (see UnicodeTables.java)");
            int first = 0;
            String p = props(0);
            for (int cp = 1; cp <= 0x110000; cp++) {
                String q = cp <= 0x10FFFF ? props(cp) : "";
                if (!q.equals(p)) {
                    out.println(Integer.toHexString(first) + " " + Integer.toHexString(cp - 1) + " " + p);
                    first = cp;
                    p = q;
                }
            }
        }
        try (PrintWriter out = new PrintWriter("numbers.txt", "UTF-8")) {
            out.println("# Character of " + System.getProperty("java.version")
                + ": code point, getNumericValue, digit(cp, 36) (see UnicodeTables.java)");
            for (int cp = 0; cp <= 0x10FFFF; cp++) {
                int value = Character.getNumericValue(cp);
                int digit = Character.digit(cp, 36);
                if (value != -1 || digit != -1)
                    out.println(Integer.toHexString(cp) + " " + value + " " + digit);
            }
        }
        List<String> texts = new ArrayList<>();
        try (BufferedReader in = new BufferedReader(new InputStreamReader(new FileInputStream("texts.txt"), "UTF-8"))) {
            for (String line; (line = in.readLine()) != null;)
                if (!line.isEmpty() && !line.startsWith("#")) texts.add(unescape(line));
        }
        try (PrintWriter out = new PrintWriter("strings.txt", "UTF-8")) {
            out.println("# String of " + System.getProperty("java.version") + ", locale " + Locale.getDefault()
                + ": text, toUpperCase(), toLowerCase(); '=' pairs: equalsIgnoreCase compareTo compareToIgnoreCase");
            for (String t : texts)
                out.println(escape(t) + "\t" + escape(t.toUpperCase()) + "\t" + escape(t.toLowerCase()));
            for (int i = 0; i < texts.size(); i++)
                for (int j = 0; j < texts.size(); j++) {
                    String a = texts.get(i), b = texts.get(j);
                    if (Math.abs(a.length() - b.length()) > 1 || i == j && i % 4 != 0) continue;
                    out.println("= " + escape(a) + "\t" + escape(b) + "\t" + a.equalsIgnoreCase(b) + " "
                        + a.compareTo(b) + " " + a.compareToIgnoreCase(b));
                }
        }
    }

    static String unescape(String s) {
        StringBuilder b = new StringBuilder();
        for (int i = 0; i < s.length(); i++) {
            if (s.charAt(i) == '\\' && i + 5 < s.length() && s.charAt(i + 1) == 'u') {
                b.append((char) Integer.parseInt(s.substring(i + 2, i + 6), 16));
                i += 5;
            } else b.append(s.charAt(i));
        }
        return b.toString();
    }
}
