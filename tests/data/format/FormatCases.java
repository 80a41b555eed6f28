// Prints format cases with what JDK 17's Formatter makes of them, one line each:
//   format TAB output TAB exception TAB argument...
// The output is what was written before an exception (all of it without one); the exception is
// "class: message" or empty. Arguments are typed: i:int l:long d:double c:char (code) b:boolean
// s:String n (a null String). Tabs, line ends and backslashes are written as \t \n \\.
// Dates and times are written in UTC (the test runs them there too).
// Run: javac FormatCases.java && java -Duser.timezone=UTC FormatCases en > en.txt &&
//      java -Duser.timezone=UTC FormatCases de > de.txt
import java.util.*;

public class FormatCases {
    static Random rnd = new Random(23);
    static Locale locale;
    static StringBuilder out = new StringBuilder();

    static String esc(String s) {
        return s.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n");
    }
    static String arg(Object a) {
        if (a == null) return "n";
        if (a instanceof Integer) return "i:" + a;
        if (a instanceof Long) return "l:" + a;
        if (a instanceof Double) return "d:" + a;
        if (a instanceof Character) return "c:" + (int) (Character) a;
        if (a instanceof Boolean) return "b:" + a;
        return "s:" + esc((String) a);
    }
    static void run(String format, Object... args) {
        StringBuilder sb = new StringBuilder();
        String exception = "";
        try {
            new Formatter(sb, locale).format(format, args);
        } catch (IllegalFormatException | OutOfMemoryError e) {
            exception = e.getClass().getName() + ": " + e.getMessage();
        }
        StringBuilder line = new StringBuilder(esc(format)).append('\t').append(esc(sb.toString()))
            .append('\t').append(esc(exception));
        for (Object a : args) line.append('\t').append(arg(a));
        System.out.println(line);
    }

    static final Object[] INTS = {0, 1, -1, 7, -42, 255, 1000, -1000, 123456789, -123456789,
        Integer.MAX_VALUE, Integer.MIN_VALUE, 0L, -1L, 42L, 1234567890123L, -98765L, 4294967296L,
        Long.MAX_VALUE, Long.MIN_VALUE};
    static final Object[] DOUBLES = {0.0, -0.0, 1.0, -1.0, 0.5, 1.5, 2.5, -2.5, 0.125, 0.375, 1.005, 0.1,
        0.05, 0.15, 0.25, 0.35, 0.45, 9.5, 99.95, 999999.5, 1e-5, 1e-4, 9.9995e-5, 0.00009999, 1.2345e-5,
        123456789.0, 1234567.891, 12345.678, 100.0, 1e7, 1e-7, 1e23, 1e100, -1e-100, 1e300, Math.PI, -Math.E,
        Double.MAX_VALUE, Double.MIN_VALUE, Double.MIN_NORMAL, 4.9e-320, 1.2345678e-310, -3.0e-315,
        Double.NaN, Double.POSITIVE_INFINITY, Double.NEGATIVE_INFINITY, 0.9999999, 9.999999999,
        999.9999, 0.0000123456, 5e-5, 0.5e-4, 65536.0, 1.0 / 3, 2.0 / 3, 1e16, 1.7e-3, 0x1.fffffffffffffp0,
        0x1.0000000000001p0, 0x1.8p0, 0x1.08p0, 0x1.fp0, 0x1.f8p-1000, 0x1.ffffffffffff8p1023,
        8.5806844035571232E16, 0x1.0p60, 1.23456789012345678E17, 0x1.fffffffffffffp62, 0x1.0p63, 0x1.0p53,
        0x1.0000000000001p53, 0x1.3456789abcdefp58};
    static final Object[] CHARS = {'a', 'Z', ' ', '\u00df', '\u00e9', '\u20ac', '\u00fc', 65, 0x1F600,
        -1, 0x110000, 0xD800, Integer.MIN_VALUE, 0x10FFFF, 0x7F};
    static final Object[] GENERAL = {true, false, null, "", "abc", "Hallo Welt", "stra\u00dfe", 'x', 42,
        -7L, 3.25, -0.0, Double.NaN, "\u00fcber"};

    static final String[] FLAGS = {"", "-", "#", "+", " ", "0", ",", "(", "+0", "-+", " 0", "(,", "+(",
        ",0", "-#", "#0", "+ ", "-0", "--", "0(", "(-", "- ", ",+0"};
    static final String[] WIDTHS = {"", "1", "6", "14", "25"};
    static final String[] PRECISIONS = {"", ".0", ".1", ".2", ".3", ".6", ".12", ".13", ".17", ".20"};

    static Object pick(Object[] a) { return a[rnd.nextInt(a.length)]; }

    // Random specifiers of the conversions over the values of their kind.
    static void sample(String conversions, Object[] values, int count) {
        for (int i = 0; i < count; i++) {
            char c = conversions.charAt(rnd.nextInt(conversions.length()));
            // Integers and characters take no precision: only now and then.
            boolean precise = "doxXcC".indexOf(c) < 0 || rnd.nextInt(10) == 0;
            String f = "%" + pick(FLAGS) + pick(WIDTHS) + (precise ? pick(PRECISIONS) : "") + c;
            run("[" + f + "]", pick(values));
        }
    }

    static void englishCases() {
        // Each conversion plain over each value of its kind.
        for (char c : "doxX".toCharArray())
            for (Object v : INTS) run("%" + c, v);
        for (char c : "eEfgGaA".toCharArray())
            for (Object v : DOUBLES) run("%" + c, v);
        for (char c : "cC".toCharArray())
            for (Object v : CHARS) run("%" + c, v);
        for (char c : "bBhHsS".toCharArray())
            for (Object v : GENERAL) run("%" + c, v);
        // Every conversion given every kind of value (and null).
        Object[] kinds = {true, 'q', 17, 17L, 1.5, "s", null};
        for (char c : "bBhHsScCdoxXeEfgGaA".toCharArray())
            for (Object v : kinds) run("<%" + c + ">", v);
        // Flags, widths and precisions, at random.
        sample("doxX", INTS, 1000);
        sample("eEfgGaA", DOUBLES, 2500);
        sample("cC", CHARS, 300);
        sample("bBhHsS", GENERAL, 500);
        sample("n%", new Object[] {1}, 100);
        // Precisions for the rounding of each value.
        for (Object v : DOUBLES)
            for (String p : new String[] {".0", ".1", ".2", ".4", ".9", ".15", ".16"})
                for (char c : "efga".toCharArray()) run("%" + p + c, v);
        // Hexadecimal floats rounded to every precision.
        for (double v : new double[] {0x1.fffffffffffffp0, 0x1.123456789abcdp-3, 0x1.8p0, 0x1.88p0,
                0x1.78p0, 0x1.0000000000008p0, 0x1.0000000000018p0, 4.9e-324, 0x0.123456789abcdp-1022,
                0x1.ffffffffffffep1023, 0x1.fffffffffffffp1023, -0x1.fp-1022})
            for (int p = 0; p <= 14; p++) run("%." + p + "a", v);
        // Dates and times of a long (milliseconds since 1970).
        long[] moments = {0L, -5L, 1700000000123L, 951825599999L, 1234567890123L, -86400001L, 4102444800000L,
            -62135596800000L, 253402300799999L, 43200000L, -12219292800001L, -12219292800000L, -12190262400000L,
            -30610224000000L, -14825808000000L, -62198755200000L, -100000000000000L};
        for (char c : "HIklMSLNpzZsQBbhAaCYyjmdeRTrDFc".toCharArray())
            for (long m : moments) {
                run("%t" + c, m);
                run("%T" + c, m);
            }
        for (String f : new String[] {"%-12tB|", "%12tA|", "%<tY", "%1$tY-%1$tm", "%tY %<tB %<te", "%.2tY", "%#tY",
                "%0tY", "%-tY", "%,tY", "%tX", "%tP", "%2$tY"})
            run(f, 1700000000123L);
        for (Object v : new Object[] {5, 'c', 2.5, "s", true, null})
            run("%tY", v);
        // Argument indexes.
        run("%2$s %1$s", "a", "b");
        run("%s %<s %s", "a", "b");
        run("%2$s %s %s", "a", "b");
        run("%1$s %1$s %s %<d", 1, 2);
        run("%3$s", "a", "b");
        run("%<s", "a");
        run("%s %s", "a");
        run("%s %2$s %<s %s", "a", "b");
        run("%0$s", "a");
        run("%01$s", "a", "b");
        run("%2147483648$s", "a");
        run("%99999999999$s", "a");
        run("%1$<s", "a");
        run("%-1$s", "a");
        run("%1$-5s|", "a");
        run("%1$%", "a");
        run("%<%", "a");
        run("%s");
        run("%%%n%s", "x");
        // Syntax faults: the whole format is read before anything is written.
        String[] bad = {"%", "abc%", "%q", "%5", "%.f", "%.5", "%-", "%5.d", "%F", "%D", "%O", "%t",
            "%T", "%tY", "%tq", "%Tn", "%1$", "%-$d", "%1$1$d", "%ll", "%--5d", "%005d", "%,,d", "%((d", "%++d",
            "%##x", "%  d", "%<<s", "%-d", "%0d", "%-0d", "%+ d", "%-05d", "%.3d", "%.3x", "%.3c", "%.3n",
            "%.3%", "%5n", "%-n", "%0%", "%+%", "%#%", "%-%", "%-5%", "%,s", "%+s", "% s", "%0s", "%(s",
            "%#b", "%#h", "%#c", "%+c", "%,c", "%-c", "%#d", "%,x", "%,o", "%(a", "%,a", "%,e", "%#g",
            "%,X", "%#B", "%#H", "%12345678901d", "%.12345678901f", "%2147483648d",
            "%.2147483648f", "%-+ 0,(#5d", "%+(10.3q", "%10.3q", "%-q", "%ë", "%\u00e9",
            "ok %d %q", "ok %d %.3d", "%s %-s"};
        for (String f : bad) run(f, 5);
        // Argument faults come after what stands before them was written.
        run("a%sb%dc", "x", 1.5);
        run("a%sb%cc", "x", -1);
        run("a%sb%cc", "x", 0x110000);
        run("a%sb%#sc", "x", "y");
        run("a%sb%+xc", "x", 5);
        run("a%sb% oc", "x", 5);
        run("a%sb%(Xc", "x", 5);
        run("a%sb%+xc", "x", null);
        run("a%sb%(+ xc", "x", 5);
        run("a%sb%(+xc", "x", 5);
        run("a%sb%dc", "x");
        run("a%sb%ec", "x", 1);
        run("a%sb%fc", "x", 'c');
    }

    static void germanCases() {
        for (char c : "dfeg".toCharArray())
            for (Object v : c == 'd' ? INTS : DOUBLES) {
                run("%" + c, v);
                run("%,.2" + c, v);
                run("%,020" + c, v);
            }
        run("%,d|%,.3f|%a|%x|%s", 1234567, 1234567.891, 1.5, 255, 1.5);
    }

    public static void main(String[] a) {
        if (a[0].equals("de")) {
            locale = Locale.GERMANY;
            germanCases();
        } else {
            locale = Locale.US;
            englishCases();
        }
    }
}
