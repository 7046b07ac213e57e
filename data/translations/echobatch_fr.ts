<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="fr">
<context>
    <name>eb::Form1</name>
    <message>
        <source>Add File(s) - Hold Ctrl to select multiple files</source>
        <translation>Ajouter des fichiers - maintenez Ctrl pour en choisir plusieurs</translation>
    </message>
    <message>
        <source>MP3 File (*.mp3)|*.mp3|</source>
        <translation>Fichier MP3 (*.mp3)|*.mp3|</translation>
    </message>
    <message>
        <source>You&apos;ve selected too many files to add.</source>
        <translation>Vous avez choisi trop de fichiers à ajouter.</translation>
    </message>
    <message>
        <source>Please try adding via the &quot;Add All&quot; button.</source>
        <translation>Essayez de les ajouter avec le bouton «&#xa0;Ajouter un dossier de MP3&#xa0;».</translation>
    </message>
    <message>
        <source>Please select folder:</source>
        <translation>Veuillez choisir un dossier&#xa0;:</translation>
    </message>
    <message>
        <source>The folder &quot;%1&quot; could not be scanned completely (%2). Only the files found before that were added.</source>
        <translation>Le dossier «&#xa0;%1&#xa0;» n&apos;a pas pu être parcouru entièrement (%2). Seuls les fichiers trouvés jusque-là ont été ajoutés.</translation>
    </message>
    <message>
        <source>Index out of bounds</source>
        <translation>Indice hors limites</translation>
    </message>
    <message>
        <source>Would you like this software to open the folder where these sample files are stored (so that you can view them before working with them)?</source>
        <translation>Voulez-vous que ce logiciel ouvre le dossier où sont rangés ces fichiers d&apos;exemple (pour les consulter avant de travailler avec eux)&#x202f;?</translation>
    </message>
    <message>
        <source>Numeric value required.</source>
        <translation>Valeur numérique requise (séparateur décimal&#xa0;: virgule ou point).</translation>
    </message>
    <message>
        <source>Value set to default.</source>
        <translation>La valeur par défaut a été rétablie.</translation>
    </message>
    <message>
        <source>Drag and drop files here. Double-click item to remove it. Move | line to right and out of window to reveal full names.</source>
        <translation>Glissez-déposez des fichiers ici. Double-cliquez sur un élément pour le retirer. Tirez la ligne | vers la droite hors de la fenêtre pour voir les noms complets.</translation>
    </message>
    <message>
        <source>Gain-In:</source>
        <translation>Gain d&apos;entrée&#xa0;:</translation>
    </message>
    <message>
        <source>Gain-Out:</source>
        <translation>Gain de sortie&#xa0;:</translation>
    </message>
    <message>
        <source>Delay:</source>
        <translation>Délai&#xa0;:</translation>
    </message>
    <message>
        <source>Decay:</source>
        <translation>Décroissance&#xa0;:</translation>
    </message>
    <message>
        <source>Top of the window</source>
        <translation>Haut de la fenêtre</translation>
    </message>
    <message>
        <source>Press Tab to reach the file list.</source>
        <translation>Appuyez sur Tab pour atteindre la liste des fichiers.</translation>
    </message>
    <message>
        <source>MP3 File(s)</source>
        <translation>Fichier(s) MP3</translation>
    </message>
    <message>
        <source>Choose output folder</source>
        <translation>Choisir le dossier de sortie</translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Barre de progression</translation>
    </message>
    <message>
        <source>Add MP3 File(s)</source>
        <translation>Ajouter des fichiers MP3</translation>
    </message>
    <message>
        <source>Add All MP3 File(s) In Folder</source>
        <translation>Ajouter un dossier de MP3</translation>
    </message>
    <message>
        <source>Start Converting</source>
        <translation>Lancer la conversion</translation>
    </message>
    <message>
        <source>Clear List</source>
        <translation>Vider la liste</translation>
    </message>
    <message>
        <source>Load Sample/Example Files</source>
        <translation>Charger les fichiers d&apos;exemple</translation>
    </message>
    <message>
        <source>Save Results To This Folder</source>
        <translation>Enregistrer les résultats dans ce dossier</translation>
    </message>
    <message>
        <source>...</source>
        <translation>...</translation>
    </message>
    <message>
        <source>Echo Options</source>
        <translation>Options d&apos;écho</translation>
    </message>
    <message>
        <source>The program icon is missing</source>
        <translation>L&apos;icône du programme est absente</translation>
    </message>
    <message>
        <source>Cannot open </source>
        <translation>Impossible d&apos;ouvrir </translation>
    </message>
    <message>
        <source>Preview Echo...</source>
        <translation>Aperçu de l&apos;écho...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Retirer</translation>
    </message>
    <message>
        <source>Value out of range.</source>
        <translation>Valeur hors de la plage admise.</translation>
    </message>
</context>
<context>
    <name>eb::PreviewWindow</name>
    <message>
        <source>Preview</source>
        <translation>Aperçu</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Lire</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>The file shown</source>
        <translation>Le fichier affiché</translation>
    </message>
    <message>
        <source>The state of the render</source>
        <translation>L&apos;état du calcul</translation>
    </message>
    <message>
        <source>Play the file with the echo</source>
        <translation>Lire le fichier avec l&apos;écho</translation>
    </message>
    <message>
        <source>Stop playing</source>
        <translation>Arrêter la lecture</translation>
    </message>
    <message>
        <source>No sound output found.</source>
        <translation>Aucune sortie audio trouvée.</translation>
    </message>
    <message>
        <source>Rendering...</source>
        <translation>Calcul en cours...</translation>
    </message>
    <message>
        <source>The sound output could not be opened.</source>
        <translation>La sortie audio n&apos;a pas pu être ouverte.</translation>
    </message>
</context>
<context>
    <name>eb::WaveformView</name>
    <message>
        <source>Waveforms of the input and with echo</source>
        <translation>Formes d&apos;onde de l&apos;entrée et avec l&apos;écho</translation>
    </message>
    <message>
        <source>empty</source>
        <translation>vide</translation>
    </message>
    <message>
        <source>%1 seconds</source>
        <translation>%1 secondes</translation>
    </message>
    <message>
        <source>Input: %1. With echo: %2.</source>
        <translation>Entrée&#xa0;: %1. Avec écho&#xa0;: %2.</translation>
    </message>
    <message>
        <source>Input</source>
        <translation>Entrée</translation>
    </message>
    <message>
        <source>With echo</source>
        <translation>Avec écho</translation>
    </message>
</context>
<context>
    <name>echobatch</name>
    <message>
        <source>Application Error</source>
        <translation>Erreur de l&apos;application</translation>
    </message>
    <message>
        <source>at line </source>
        <translation>à la ligne </translation>
    </message>
    <message>
        <source>Please email screenshot of this message to </source>
        <translation>Veuillez envoyer une capture d&apos;écran de ce message par e-mail à </translation>
    </message>
    <message>
        <source>Done.</source>
        <translation>Terminé.</translation>
    </message>
    <message>
        <source>No files added.</source>
        <translation>Aucun fichier ajouté.</translation>
    </message>
    <message>
        <source>Folder does not exist. Please select another folder.</source>
        <translation>Le dossier n&apos;existe pas. Veuillez en choisir un autre.</translation>
    </message>
    <message>
        <source>entry %1</source>
        <translation>élément %1</translation>
    </message>
    <message>
        <source>Processing: </source>
        <translation>Traitement&#xa0;: </translation>
    </message>
    <message>
        <source>Index out of bounds</source>
        <translation>Indice hors limites</translation>
    </message>
    <message>
        <source>no longer in the list</source>
        <translation>n&apos;est plus dans la liste</translation>
    </message>
    <message>
        <source>Division by zero</source>
        <translation>Division par zéro</translation>
    </message>
    <message>
        <source>Progress Bar</source>
        <translation>Barre de progression</translation>
    </message>
    <message>
        <source>Please wait.. </source>
        <translation>Veuillez patienter.. </translation>
    </message>
    <message>
        <source>Path not found</source>
        <translation>Chemin introuvable</translation>
    </message>
    <message>
        <source>Permission denied</source>
        <translation>Permission refusée</translation>
    </message>
    <message>
        <source>Numeric value required.</source>
        <translation>Valeur numérique requise (séparateur décimal&#xa0;: virgule ou point).</translation>
    </message>
    <message>
        <source>The pointer file is too large: </source>
        <translation>Le fichier du pointeur est trop grand&#xa0;: </translation>
    </message>
    <message>
        <source>The pointer file holds no image: </source>
        <translation>Le fichier du pointeur ne contient aucune image&#xa0;: </translation>
    </message>
    <message>
        <source>Cannot read the skin %1: %2</source>
        <translation>Impossible de lire l&apos;habillage %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>The skin %1 is too large</source>
        <translation>L&apos;habillage %1 est trop grand</translation>
    </message>
    <message>
        <source>The skin %1 is not a valid style sheet</source>
        <translation>L&apos;habillage %1 n&apos;est pas une feuille de style valide</translation>
    </message>
    <message>
        <source>echobatch-cli: --jobs %1 lowered to %2: the open-file limit (%3) allows no more
</source>
        <translation>echobatch-cli: --jobs %1 ramené à %2&#xa0;: la limite de fichiers ouverts (%3) n&apos;en permet pas plus
</translation>
    </message>
    <message>
        <source>Try &apos;echobatch-cli --help&apos;.</source>
        <translation>Essayez «&#xa0;echobatch-cli --help&#xa0;».</translation>
    </message>
    <message>
        <source>--json and --dry-run both write to standard output</source>
        <translation>--json et --dry-run écrivent tous deux sur la sortie standard</translation>
    </message>
    <message>
        <source>--null needs a list given with --from</source>
        <translation>--null demande une liste donnée avec --from</translation>
    </message>
    <message>
        <source>no files given</source>
        <translation>aucun fichier donné</translation>
    </message>
    <message>
        <source>--jobs needs a whole number from 0 to 1024, not &apos;%1&apos;</source>
        <translation>--jobs demande un nombre entier de 0 à 1024, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--bitrate needs &apos;keep&apos; or one of 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, not &apos;%1&apos;</source>
        <translation>--bitrate demande «&#xa0;keep&#xa0;» ou l&apos;une des valeurs 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 192, 224, 256, 320, pas «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>no output folder: give one with --out DIR (none is stored in the settings either)</source>
        <translation>aucun dossier de sortie&#xa0;: indiquez-en un avec --out DIR (les réglages n&apos;en contiennent pas non plus)</translation>
    </message>
    <message>
        <source>the output folder&apos;s name is not valid UTF-8 and cannot be used as it is: %1</source>
        <translation>le nom du dossier de sortie n&apos;est pas de l&apos;UTF-8 valide et ne peut pas être utilisé tel quel&#xa0;: %1</translation>
    </message>
    <message>
        <source>%1: the folder could not be scanned completely: %2</source>
        <translation>%1&#xa0;: le dossier n&apos;a pas pu être parcouru entièrement&#xa0;: %2</translation>
    </message>
    <message>
        <source>no MP3 files found in the folders given</source>
        <translation>aucun fichier MP3 trouvé dans les dossiers donnés</translation>
    </message>
    <message>
        <source>standard input</source>
        <translation>entrée standard</translation>
    </message>
    <message>
        <source>cannot read the list %1: %2</source>
        <translation>impossible de lire la liste %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>an entry is longer than %1 bytes; is it a list of paths?</source>
        <translation>un élément dépasse %1 octets&#x202f;; s&apos;agit-il bien d&apos;une liste de chemins&#x202f;?</translation>
    </message>
    <message>
        <source>%1 FAILED     %2: %3</source>
        <translation>%1 ÉCHEC       %2&#xa0;: %3</translation>
    </message>
    <message>
        <source>%1 WARNING    %2: %3</source>
        <translation>%1 ATTENTION   %2&#xa0;: %3</translation>
    </message>
    <message>
        <source>Gain-In:</source>
        <translation>Gain d&apos;entrée&#xa0;:</translation>
    </message>
    <message>
        <source>Gain-Out:</source>
        <translation>Gain de sortie&#xa0;:</translation>
    </message>
    <message>
        <source>Delay:</source>
        <translation>Délai&#xa0;:</translation>
    </message>
    <message>
        <source>Decay:</source>
        <translation>Décroissance&#xa0;:</translation>
    </message>
    <message>
        <source>cannot write into the output folder: </source>
        <translation>impossible d&apos;écrire dans le dossier de sortie&#xa0;: </translation>
    </message>
    <message>
        <source>the name is not valid UTF-8 (%1); rename it</source>
        <translation>le nom n&apos;est pas de l&apos;UTF-8 valide (%1)&#x202f;; renommez le fichier</translation>
    </message>
    <message>
        <source>the output would replace the input file itself</source>
        <translation>la sortie remplacerait le fichier d&apos;entrée lui-même</translation>
    </message>
    <message>
        <source>the output would replace another file of the list</source>
        <translation>la sortie remplacerait un autre fichier de la liste</translation>
    </message>
    <message>
        <source>SoX was not found</source>
        <translation>SoX est introuvable</translation>
    </message>
    <message>
        <source>the tool wrote no output</source>
        <translation>l&apos;outil n&apos;a rien écrit</translation>
    </message>
    <message>
        <source>the tool wrote no output: </source>
        <translation>l&apos;outil n&apos;a rien écrit&#xa0;: </translation>
    </message>
    <message numerus="yes">
        <source>%1 samples clipped; lower Gain-Out or Decay</source>
        <translation>
            <numerusform>%1 échantillon écrêté&#x202f;; baissez la valeur de «&#xa0;Gain de sortie&#xa0;» ou de «&#xa0;Décroissance&#xa0;»</numerusform>
            <numerusform>%1 échantillons écrêtés&#x202f;; baissez la valeur de «&#xa0;Gain de sortie&#xa0;» ou de «&#xa0;Décroissance&#xa0;»</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot replace %1: %2</source>
        <translation>impossible de remplacer %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>tags not copied: </source>
        <translation>étiquettes non copiées&#xa0;: </translation>
    </message>
    <message>
        <source>a FIFO</source>
        <translation>un FIFO</translation>
    </message>
    <message>
        <source>a character device</source>
        <translation>un périphérique en mode caractère</translation>
    </message>
    <message>
        <source>a block device</source>
        <translation>un périphérique en mode bloc</translation>
    </message>
    <message>
        <source>a socket</source>
        <translation>un socket</translation>
    </message>
    <message>
        <source>a folder</source>
        <translation>un dossier</translation>
    </message>
    <message>
        <source>not a file</source>
        <translation>pas un fichier</translation>
    </message>
    <message>
        <source>not a regular file: </source>
        <translation>pas un fichier ordinaire&#xa0;: </translation>
    </message>
    <message>
        <source>skipped: %1</source>
        <translation>ignoré&#xa0;: %1</translation>
    </message>
    <message>
        <source>its output would replace the output of </source>
        <translation>sa sortie remplacerait celle d&apos;un élément précédent&#xa0;: </translation>
    </message>
    <message>
        <source>No output name can be formed: the file name has no &quot;.&quot;</source>
        <translation>Impossible de former un nom de sortie&#xa0;: le nom du fichier ne contient pas de «&#xa0;.&#xa0;»</translation>
    </message>
    <message>
        <source>Overflow</source>
        <translation>Dépassement de capacité</translation>
    </message>
    <message>
        <source>the name &quot;%1&quot; in %2 may stand for another file: a name there that is not valid UTF-8 reads the same</source>
        <translation>le nom «&#xa0;%1&#xa0;» dans %2 peut désigner un autre fichier&#xa0;: un nom qui s&apos;y trouve, en UTF-8 non valide, se lit de la même façon</translation>
    </message>
    <message>
        <source>cannot read the rendered samples: </source>
        <translation>impossible de lire les échantillons calculés&#xa0;: </translation>
    </message>
    <message>
        <source>SoX could not be made ready</source>
        <translation>SoX n&apos;a pas pu être préparé</translation>
    </message>
    <message>
        <source>the tag copy could not be started: %1</source>
        <translation>la copie des étiquettes n&apos;a pas pu démarrer&#xa0;: %1</translation>
    </message>
    <message>
        <source>the tag copy took longer than %1 s</source>
        <translation>la copie des étiquettes a duré plus de %1 s</translation>
    </message>
    <message>
        <source>the tag copy was ended by signal %1 (%2)</source>
        <translation>la copie des étiquettes a été arrêtée par le signal %1 (%2)</translation>
    </message>
    <message>
        <source>the tag copy ended with exit code %1%2</source>
        <translation>la copie des étiquettes s&apos;est terminée avec le code de sortie %1%2</translation>
    </message>
    <message>
        <source>the tool could not be started: %1 (%2)</source>
        <translation>l&apos;outil n&apos;a pas pu démarrer&#xa0;: %1 (%2)</translation>
    </message>
    <message>
        <source>the tool ended, but how it ended could not be learnt</source>
        <translation>l&apos;outil s&apos;est arrêté, mais on n&apos;a pas pu savoir comment</translation>
    </message>
    <message>
        <source>the tool was ended by signal %1 (%2)</source>
        <translation>l&apos;outil a été arrêté par le signal %1 (%2)</translation>
    </message>
    <message>
        <source>the tool ended with exit code %1</source>
        <translation>l&apos;outil s&apos;est terminé avec le code de sortie %1</translation>
    </message>
    <message>
        <source>Cannot make a private folder in %1: %2</source>
        <translation>Impossible de créer un dossier privé dans %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot use the private folder %1: it was replaced</source>
        <translation>Impossible d&apos;utiliser le dossier privé %1&#xa0;: il a été remplacé</translation>
    </message>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>Impossible d&apos;écrire %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>Impossible de lire %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>Cannot read %1: it changed while it was checked</source>
        <translation>Impossible de lire %1&#xa0;: le fichier a changé pendant la vérification</translation>
    </message>
    <message>
        <source>SoX was not found on PATH (%1) and ECHOBATCH_SOX is not set</source>
        <translation>SoX est introuvable dans PATH (%1) et ECHOBATCH_SOX n&apos;est pas défini</translation>
    </message>
    <message>
        <source>; passed over because other users could change them: </source>
        <translation>&#x202f;; écartés parce que d&apos;autres utilisateurs pourraient les modifier&#xa0;: </translation>
    </message>
    <message>
        <source> (install the sox and libsox-fmt-mp3 packages)</source>
        <translation> (installez les paquets sox et libsox-fmt-mp3)</translation>
    </message>
    <message>
        <source>The settings cannot be read from %1: %2</source>
        <translation>Impossible de lire les réglages depuis %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>The settings cannot be written to %1: %2</source>
        <translation>Impossible d&apos;écrire les réglages dans %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>no scratch folder: </source>
        <translation>aucun dossier temporaire&#xa0;: </translation>
    </message>
    <message>
        <source>no scratch copy: </source>
        <translation>aucune copie temporaire&#xa0;: </translation>
    </message>
    <message>
        <source>no scratch copy</source>
        <translation>aucune copie temporaire</translation>
    </message>
    <message>
        <source>larger than %1 MB (%2 bytes)</source>
        <translation>plus de %1 Mo (%2 octets)</translation>
    </message>
    <message>
        <source>a link to nothing</source>
        <translation>un lien qui ne mène nulle part</translation>
    </message>
    <message>
        <source>a link to </source>
        <translation>un lien vers </translation>
    </message>
    <message>
        <source>a link to a file of another user</source>
        <translation>un lien vers un fichier d&apos;un autre utilisateur</translation>
    </message>
    <message>
        <source>a link into a folder of another user</source>
        <translation>un lien vers le dossier d&apos;un autre utilisateur</translation>
    </message>
    <message>
        <source>its folder cannot be made</source>
        <translation>son dossier ne peut pas être créé</translation>
    </message>
    <message>
        <source>cannot make the output folder %1: %2</source>
        <translation>impossible de créer le dossier de sortie %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>cannot make the output folder %1: a file of that name is there</source>
        <translation>impossible de créer le dossier de sortie %1&#xa0;: un fichier de ce nom existe déjà</translation>
    </message>
    <message>
        <source>the name is not valid UTF-8; rename it</source>
        <translation>le nom n&apos;est pas de l&apos;UTF-8 valide&#x202f;; renommez le fichier</translation>
    </message>
    <message>
        <source>%1: passed over: it is the output folder</source>
        <translation>%1&#xa0;: écarté&#xa0;: c&apos;est le dossier de sortie</translation>
    </message>
    <message>
        <source>it holds NUL bytes; give -0 (--null) for a list whose paths end with a NUL byte</source>
        <translation>elle contient des octets NUL&#x202f;; indiquez -0 (--null) pour une liste dont les chemins finissent par un octet NUL</translation>
    </message>
    <message>
        <source>it holds more than %1 entries; split it</source>
        <translation>elle contient plus de %1 éléments&#x202f;; découpez-la</translation>
    </message>
    <message>
        <source>up to date</source>
        <translation>déjà à jour</translation>
    </message>
    <message>
        <source>%1 up to date %2 -&gt; %3</source>
        <translation>%1 déjà à jour %2 -&gt; %3</translation>
    </message>
    <message>
        <source>%1 converted  %2 -&gt; %3%4</source>
        <translation>%1 converti    %2 -&gt; %3%4</translation>
    </message>
    <message>
        <source> (replaced an existing file)</source>
        <translation> (fichier existant remplacé)</translation>
    </message>
    <message>
        <source>echobatch-cli: interrupted; </source>
        <translation>echobatch-cli: interrompu&#x202f;; </translation>
    </message>
    <message>
        <source>The file name buffer is too small</source>
        <translation>La mémoire tampon des noms de fichiers est trop petite</translation>
    </message>
    <message>
        <source>Invalid procedure call or argument</source>
        <translation>Appel de procédure ou argument incorrect</translation>
    </message>
    <message>
        <source>Unknown error</source>
        <translation>Erreur inconnue</translation>
    </message>
    <message>
        <source>the sample rate changes from %1 to %2 Hz at %3</source>
        <translation>la fréquence d&apos;échantillonnage passe de %1 à %2 Hz à %3</translation>
    </message>
    <message>
        <source>no MPEG audio frame found</source>
        <translation>aucune trame audio MPEG trouvée</translation>
    </message>
    <message>
        <source>the audio ends after %1 of %2</source>
        <translation>l&apos;audio s&apos;arrête après %1 sur %2</translation>
    </message>
    <message>
        <source>cannot decode the input: </source>
        <translation>impossible de décoder l&apos;entrée&#xa0;: </translation>
    </message>
    <message>
        <source>the decoder cannot be set up</source>
        <translation>le décodeur ne peut pas être préparé</translation>
    </message>
    <message>
        <source>the audio changes its format after %1</source>
        <translation>l&apos;audio change de format après %1</translation>
    </message>
    <message>
        <source>the audio cannot be decoded after %1 (%2)</source>
        <translation>l&apos;audio ne peut pas être décodé après %1 (%2)</translation>
    </message>
    <message numerus="yes">
        <source>the output is shorter than the input: %1 of %2 (%3 of %4 samples)</source>
        <translation>
            <numerusform>la sortie est plus courte que l&apos;entrée&#xa0;: %1 sur %2 (%3 sur %4 échantillon)</numerusform>
            <numerusform>la sortie est plus courte que l&apos;entrée&#xa0;: %1 sur %2 (%3 sur %4 échantillons)</numerusform>
        </translation>
    </message>
    <message>
        <source>cannot write the output&apos;s Info frame: </source>
        <translation>impossible d&apos;écrire la trame Info de la sortie&#xa0;: </translation>
    </message>
    <message>
        <source>cannot read the tool&apos;s output: </source>
        <translation>impossible de lire la sortie de l&apos;outil&#xa0;: </translation>
    </message>
    <message>
        <source>the tool&apos;s output holds no MP3 audio</source>
        <translation>la sortie de l&apos;outil ne contient aucun son MP3</translation>
    </message>
    <message>
        <source>; its values are not used</source>
        <translation>&#x202f;; leurs valeurs ne sont pas utilisées</translation>
    </message>
    <message>
        <source>write error: </source>
        <translation>erreur d&apos;écriture&#xa0;: </translation>
    </message>
    <message>
        <source>the output is </source>
        <translation>la sortie n&apos;est </translation>
    </message>
    <message>
        <source>the output folder %1 is gone</source>
        <translation>le dossier de sortie %1 a disparu</translation>
    </message>
    <message>
        <source>the output cannot be decoded</source>
        <translation>la sortie ne peut pas être décodée</translation>
    </message>
    <message>
        <source>ReplayGain not measured: </source>
        <translation>ReplayGain non mesuré&#xa0;: </translation>
    </message>
    <message>
        <source>album ReplayGain removed: not every file of the album was converted</source>
        <translation>ReplayGain d&apos;album retiré&#xa0;: les fichiers de l&apos;album n&apos;ont pas tous été convertis</translation>
    </message>
    <message>
        <source>cannot open the output folder %1: %2</source>
        <translation>impossible d&apos;ouvrir le dossier de sortie %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>%1 leads out of the output folder</source>
        <translation>%1 mène hors du dossier de sortie</translation>
    </message>
    <message>
        <source>%1 is a link; outputs are never written through links below the output folder</source>
        <translation>%1 est un lien&#x202f;; sous le dossier de sortie, rien n&apos;est jamais écrit à travers un lien</translation>
    </message>
    <message>
        <source>it is not an absolute path</source>
        <translation>ce n&apos;est pas un chemin absolu</translation>
    </message>
    <message>
        <source>it belongs to another user</source>
        <translation>il appartient à un autre utilisateur</translation>
    </message>
    <message>
        <source>others may use it (mode %1)</source>
        <translation>d&apos;autres peuvent l&apos;utiliser (mode %1)</translation>
    </message>
    <message>
        <source>it is not a folder</source>
        <translation>ce n&apos;est pas un dossier</translation>
    </message>
    <message>
        <source>it is not the user&apos;s own private folder</source>
        <translation>ce n&apos;est pas un dossier privé de l&apos;utilisateur</translation>
    </message>
    <message>
        <source>neither XDG_STATE_HOME nor HOME is set</source>
        <translation>ni XDG_STATE_HOME ni HOME n&apos;est défini</translation>
    </message>
    <message>
        <source>the records folder %1 cannot be used: %2</source>
        <translation>impossible d&apos;utiliser le dossier des journaux %1&#xa0;: %2</translation>
    </message>
    <message>
        <source>XDG_RUNTIME_DIR %1 is passed over (%2); run records are kept in %3</source>
        <translation>XDG_RUNTIME_DIR %1 est écarté (%2)&#x202f;; les journaux d&apos;exécution sont conservés dans %3</translation>
    </message>
    <message>
        <source>no folder</source>
        <translation>aucun dossier</translation>
    </message>
    <message>
        <source>cannot keep a record of the temporary file: </source>
        <translation>impossible de consigner le fichier temporaire&#xa0;: </translation>
    </message>
    <message>
        <source>cannot keep a record of the tool folder: </source>
        <translation>impossible de consigner le dossier de l&apos;outil&#xa0;: </translation>
    </message>
    <message>
        <source>cannot open another file: %1 (a limit of this process or system, not of the output folder)</source>
        <translation>impossible d&apos;ouvrir un fichier de plus&#xa0;: %1 (une limite de ce processus ou du système, pas du dossier de sortie)</translation>
    </message>
    <message>
        <source>album ReplayGain removed: it cannot be written into </source>
        <translation>ReplayGain d&apos;album retiré&#xa0;: impossible de l&apos;écrire dans </translation>
    </message>
    <message>
        <source>album ReplayGain removed: %1 failed</source>
        <translation>ReplayGain d&apos;album retiré&#xa0;: échec de %1</translation>
    </message>
    <message>
        <source> (album ReplayGain updated)</source>
        <translation> (ReplayGain d&apos;album mis à jour)</translation>
    </message>
    <message>
        <source>the output cannot be read for its ReplayGain values</source>
        <translation>la sortie ne peut pas être lue pour ses valeurs ReplayGain</translation>
    </message>
    <message>
        <source>the ReplayGain values cannot be written</source>
        <translation>les valeurs ReplayGain ne peuvent pas être écrites</translation>
    </message>
    <message>
        <source>stopped</source>
        <translation>arrêté</translation>
    </message>
    <message>
        <source>about %1 s left</source>
        <translation>encore environ %1 s</translation>
    </message>
    <message>
        <source>about %1 min left</source>
        <translation>encore environ %1 min</translation>
    </message>
    <message>
        <source>about %1 h %2 min left</source>
        <translation>encore environ %1 h %2 min</translation>
    </message>
    <message>
        <source>--shard needs K/N, two whole numbers with 1 &lt;= K &lt;= N, not &apos;%1&apos;</source>
        <translation>--shard demande K/N, deux nombres entiers avec 1 &lt;= K &lt;= N, et non «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>--shard needs --keep-tree, so that no two parts can write one output</source>
        <translation>--shard demande --keep-tree, pour que deux parts ne puissent jamais écrire la même sortie</translation>
    </message>
    <message>
        <source>would make the output folder %1</source>
        <translation>créerait le dossier de sortie %1</translation>
    </message>
    <message>
        <source>made the output folder %1</source>
        <translation>dossier de sortie %1 créé</translation>
    </message>
    <message>
        <source>converted</source>
        <translation>converti</translation>
    </message>
    <message>
        <source>converted with a warning: %1</source>
        <translation>converti avec un avertissement&#xa0;: %1</translation>
    </message>
    <message>
        <source>failed: %1</source>
        <translation>échec&#xa0;: %1</translation>
    </message>
    <message>
        <source>Keep folders</source>
        <translation>Conserver les dossiers</translation>
    </message>
    <message>
        <source>Skip them</source>
        <translation>Les ignorer</translation>
    </message>
    <message>
        <source>file %1 of %2</source>
        <translation>fichier %1 sur %2</translation>
    </message>
    <message>
        <source>not converted: the batch was stopped</source>
        <translation>non converti&#xa0;: la conversion a été arrêtée</translation>
    </message>
    <message>
        <source>Stop converting? The files converted so far are kept.</source>
        <translation>Arrêter la conversion&#x202f;? Les fichiers déjà convertis sont conservés.</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Arrêter</translation>
    </message>
    <message>
        <source>Go on</source>
        <translation>Continuer</translation>
    </message>
    <message>
        <source>file %1 of %2, %3</source>
        <translation>fichier %1 sur %2, %3</translation>
    </message>
    <message>
        <source>%1: %2</source>
        <comment>a file&apos;s name, then what became of it</comment>
        <translation>%1&#xa0;: %2</translation>
    </message>
    <message numerus="yes">
        <source>%n file(s) not added: their names are not valid UTF-8, so they cannot be named exactly. Rename them to add them:</source>
        <translation>
            <numerusform>%n fichier non ajouté&#xa0;: son nom n&apos;est pas de l&apos;UTF-8 valide et ne peut donc pas être reproduit exactement. Renommez-le pour l&apos;ajouter&#xa0;:</numerusform>
            <numerusform>%n fichiers non ajoutés&#xa0;: leurs noms ne sont pas de l&apos;UTF-8 valide et ne peuvent donc pas être reproduits exactement. Renommez-les pour les ajouter&#xa0;:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files failed:</source>
        <translation>
            <numerusform>

%1 sur %n fichier en échec&#xa0;:</numerusform>
            <numerusform>

%1 sur %n fichiers en échec&#xa0;:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

%1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>

%1 sur %n fichier converti avec un avertissement&#xa0;:</numerusform>
            <numerusform>

%1 sur %n fichiers convertis avec un avertissement&#xa0;:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>

Stopped: %1 of %n files were not converted.</source>
        <translation>
            <numerusform>

Arrêté&#xa0;: %1 sur %n fichier non converti.</numerusform>
            <numerusform>

Arrêté&#xa0;: %1 sur %n fichiers non convertis.</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>%n files share their name with another file of the list. Keep the album folders below the output folder?</source>
        <translation>
            <numerusform>%n fichier porte le même nom qu&apos;un autre fichier de la liste. Conserver les dossiers des albums dans le dossier de sortie&#x202f;?</numerusform>
            <numerusform>%n fichiers portent le même nom qu&apos;un autre fichier de la liste. Conserver les dossiers des albums dans le dossier de sortie&#x202f;?</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: removed %n temporary file(s) left by a run that was ended
</source>
        <translation>
            <numerusform>echobatch-cli: suppression de %n fichier temporaire laissé par une exécution interrompue
</numerusform>
            <numerusform>echobatch-cli: suppression de %n fichiers temporaires laissés par une exécution interrompue
</numerusform>
        </translation>
    </message>
    <message>
        <source>unknown option &apos;%1&apos;</source>
        <translation>option inconnue «&#xa0;%1&#xa0;»</translation>
    </message>
    <message>
        <source>the option &apos;%1&apos; takes no value</source>
        <translation>l&apos;option «&#xa0;%1&#xa0;» ne prend pas de valeur</translation>
    </message>
    <message>
        <source>the option &apos;%1&apos; needs a value</source>
        <translation>l&apos;option «&#xa0;%1&#xa0;» demande une valeur</translation>
    </message>
    <message>
        <source>
  %1 &apos;%2&apos; (--%3)</source>
        <comment>a field&apos;s label, the text given, its option</comment>
        <translation>
  %1 «&#xa0;%2&#xa0;» (--%3)</translation>
    </message>
    <message numerus="yes">
        <source>%1 of %n files converted</source>
        <translation>
            <numerusform>%1 sur %n fichier converti</numerusform>
            <numerusform>%1 sur %n fichiers convertis</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n replaced an existing file</source>
        <translation>
            <numerusform>, dont %n a remplacé un fichier existant</numerusform>
            <numerusform>, dont %n ont remplacé des fichiers existants</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>, %n up to date</source>
        <translation>
            <numerusform>, %n déjà à jour</numerusform>
            <numerusform>, %n déjà à jour</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source> (album ReplayGain updated in %n files)</source>
        <translation>
            <numerusform> (ReplayGain d&apos;album mis à jour dans %n fichier)</numerusform>
            <numerusform> (ReplayGain d&apos;album mis à jour dans %n fichiers)</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files converted with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 sur %n fichier converti avec un avertissement&#xa0;:</numerusform>
            <numerusform>echobatch-cli: %1 sur %n fichiers convertis avec un avertissement&#xa0;:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files failed:</source>
        <translation>
            <numerusform>echobatch-cli: %1 sur %n fichier en échec&#xa0;:</numerusform>
            <numerusform>echobatch-cli: %1 sur %n fichiers en échec&#xa0;:</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <source>[%1] %n/%2 done, %3 running</source>
        <translation>
            <numerusform>[%1] %n/%2 terminé, %3 en cours</numerusform>
            <numerusform>[%1] %n/%2 terminés, %3 en cours</numerusform>
        </translation>
    </message>
    <message>
        <source>Usage: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T]
                     [--decay T] [--jobs N] [--bitrate KBPS|keep]
                     [--keep-tree [--shard K/N]] [--update] [--dry-run]
                     [--quiet] [--json] [--from FILE [--null]] [PATH...]

Adds an echo to each MP3 file given and writes the result, under the same
base name with the extension .mp3, into the output folder.

  --out DIR       output folder (default: the window&apos;s stored output folder);
                  made with its parents when missing
  --gain-in T     gain in (default: stored value, else 0.8)
  --gain-out T    gain out (default: stored value, else 0.7)
  --delay T       delay in milliseconds (default: stored value, else 63)
  --decay T       decay (default: stored value, else 0.3)
  --jobs N        conversions at once (default and 0: one per processor core)
  --bitrate KBPS  write every file as CBR of KBPS kbps (8 to 320; the nearest
                  bitrate the file&apos;s sample rate allows); default &apos;keep&apos;: each
                  file keeps its input&apos;s bitrate, and VBR stays VBR
  --keep-tree     a file found in a folder given as PATH goes to the same
                  relative folder below the output folder (made as needed)
  --shard K/N     with --keep-tree: convert only the K-th of N parts of the
                  list, split by each file&apos;s folder below its folder argument
                  (files given as they are form one part), alike on every
                  machine
  --update        pass over a file whose output is there already and newer
                  than the file (reported as &apos;up to date&apos;, status &apos;up-to-date&apos;
                  in --json, no longer &apos;skipped&apos;); without it an existing
                  output is replaced
  --dry-run       print the tool&apos;s command for each file, convert nothing
  --quiet         no progress; only failures and warnings are reported
  --json          a JSON object per file on standard output as it ends; its
                  reason, warning and note are in English
  --from FILE     also convert the paths listed in FILE, one a line (&apos;-&apos;:
                  standard input; a CR ending a line is dropped, empty lines
                  are passed over)
  -0, --null      the list&apos;s paths end with a NUL byte instead of a newline
  --help          this text
  --version       the version

Each output gets the input&apos;s tags. A file whose tags cannot be copied, or
whose echo clipped samples, is still converted, and reported in a warning. A
file whose output would replace the output of an earlier, other file of the
same run is skipped; a file given twice is converted twice.

Exit status: 0 every file converted, 1 at least one file failed, 2 usage
error, 130 interrupted.
</source>
        <translation>Usage&#xa0;: echobatch-cli [--out DIR] [--gain-in T] [--gain-out T] [--delay T]
                      [--decay T] [--jobs N] [--bitrate KBPS|keep]
                      [--keep-tree [--shard K/N]] [--update] [--dry-run]
                      [--quiet] [--json] [--from FILE [--null]] [PATH...]

Ajoute un écho à chaque fichier MP3 donné et écrit le résultat, sous le même
nom de base avec l&apos;extension .mp3, dans le dossier de sortie.

  --out DIR       dossier de sortie (par défaut&#xa0;: celui enregistré par la
                  fenêtre)&#x202f;; créé avec ses dossiers parents s&apos;il manque
  --gain-in T     gain d&apos;entrée (par défaut&#xa0;: valeur enregistrée, sinon 0,8)
  --gain-out T    gain de sortie (par défaut&#xa0;: valeur enregistrée, sinon 0,7)
  --delay T       délai en millisecondes (par défaut&#xa0;: valeur enregistrée,
                  sinon 63)
  --decay T       décroissance (par défaut&#xa0;: valeur enregistrée, sinon 0,3)
  --jobs N        conversions simultanées (par défaut et 0&#xa0;: une par cœur de
                  processeur)
  --bitrate KBPS  écrire chaque fichier en CBR à KBPS kbit/s (8 à 320&#x202f;; le
                  débit le plus proche que permet la fréquence
                  d&apos;échantillonnage)&#x202f;; par défaut «&#xa0;keep&#xa0;»&#xa0;: chaque fichier
                  garde le débit de son entrée, et le VBR reste VBR
  --keep-tree     un fichier trouvé dans un dossier donné en PATH va dans le
                  même dossier relatif sous le dossier de sortie (créé au
                  besoin)
  --shard K/N     avec --keep-tree&#xa0;: ne convertir que la K-ième des N parts de
                  la liste, réparties selon le dossier de chaque fichier sous
                  son dossier argument (les fichiers donnés tels quels forment
                  une part), pareil sur chaque machine
  --update        écarter un fichier dont la sortie existe déjà et est plus
                  récente que lui (signalé «&#xa0;déjà à jour&#xa0;», statut
                  «&#xa0;up-to-date&#xa0;» avec --json, et non plus «&#xa0;skipped&#xa0;»)&#x202f;; sans
                  cette option, une sortie existante est remplacée
  --dry-run       afficher la commande de l&apos;outil pour chaque fichier, sans
                  rien convertir
  --quiet         pas de progression&#x202f;; seuls les échecs et les avertissements
                  sont signalés
  --json          un objet JSON par fichier sur la sortie standard, dès qu&apos;il
                  est fini&#x202f;; «&#xa0;reason&#xa0;», «&#xa0;warning&#xa0;» et «&#xa0;note&#xa0;» y sont en
                  anglais
  --from FILE     convertir aussi les chemins listés dans FILE, un par ligne
                  («&#xa0;-&#xa0;»&#xa0;: entrée standard&#x202f;; un CR en fin de ligne est retiré,
                  les lignes vides sont écartées)
  -0, --null      les chemins de la liste finissent par un octet NUL au lieu
                  d&apos;un saut de ligne
  --help          ce texte
  --version       la version

Chaque sortie reçoit les étiquettes de son entrée. Un fichier dont les
étiquettes ne peuvent être copiées, ou dont l&apos;écho a écrêté des échantillons,
est tout de même converti et signalé dans un avertissement. Un fichier dont la
sortie remplacerait celle d&apos;un autre fichier, traité plus tôt dans la même
exécution, est ignoré&#x202f;; un fichier donné deux fois est converti deux fois.

Code de sortie&#xa0;: 0 tous les fichiers convertis, 1 au moins un fichier en
échec, 2 erreur d&apos;usage, 130 interrompu.
</translation>
    </message>
    <message>
        <source>a gain written is missing</source>
        <translation>une valeur ReplayGain écrite est absente</translation>
    </message>
    <message>
        <source>the ReplayGain values read back differ: </source>
        <translation>les valeurs ReplayGain relues diffèrent&#xa0;: </translation>
    </message>
    <message>
        <source>the ReplayGain values cannot be handed to the tag copy: </source>
        <translation>les valeurs ReplayGain ne peuvent pas être transmises à la copie des étiquettes&#xa0;: </translation>
    </message>
    <message numerus="yes">
        <source> and %n more</source>
        <translation>
            <numerusform> et %n autre</numerusform>
            <numerusform> et %n autres</numerusform>
        </translation>
    </message>
    <message>
        <source>it keeps no ReplayGain values</source>
        <translation>elle ne contient aucune valeur ReplayGain</translation>
    </message>
    <message>
        <source>ReplayGain not written: </source>
        <translation>ReplayGain non écrit&#xa0;: </translation>
    </message>
    <message>
        <source>the output is shorter than 0.4 s</source>
        <translation>la sortie dure moins de 0,4 s</translation>
    </message>
    <message>
        <source>the output is silent</source>
        <translation>la sortie est silencieuse</translation>
    </message>
    <message>
        <source>; the input&apos;s values are still on the output: </source>
        <translation>&#x202f;; les valeurs de l&apos;entrée restent sur la sortie&#xa0;: </translation>
    </message>
    <message numerus="yes">
        <source>echobatch-cli: %1 of %n files up to date with a warning:</source>
        <translation>
            <numerusform>echobatch-cli: %1 sur %n fichier déjà à jour avec un avertissement&#xa0;:</numerusform>
            <numerusform>echobatch-cli: %1 sur %n fichiers déjà à jour avec un avertissement&#xa0;:</numerusform>
        </translation>
    </message>
    <message>
        <source>no such file</source>
        <translation>fichier introuvable</translation>
    </message>
    <message>
        <source>no decoder reads this file&apos;s format</source>
        <translation>aucun décodeur ne lit le format de ce fichier</translation>
    </message>
    <message>
        <source>cannot open the input: %1</source>
        <translation>impossible d&apos;ouvrir l&apos;entrée&#xa0;: %1</translation>
    </message>
    <message>
        <source>no audio: the file is too short to hold any</source>
        <translation>aucun son&#xa0;: le fichier est trop court pour en contenir</translation>
    </message>
    <message>
        <source>no decoder reads files of the type .%1</source>
        <translation>aucun décodeur ne lit les fichiers de type .%1</translation>
    </message>
    <message>
        <source>the delay is too long for this file&apos;s sample rate (at most %1 s)</source>
        <translation>le délai est trop long pour la fréquence d&apos;échantillonnage de ce fichier (%1&#xa0;s au plus)</translation>
    </message>
    <message>
        <source>the delay is shorter than one sample at this file&apos;s sample rate</source>
        <translation>le délai est plus court qu&apos;un échantillon à la fréquence d&apos;échantillonnage de ce fichier</translation>
    </message>
    <message>
        <source>SoX failed: %1</source>
        <translation>échec de SoX&#xa0;: %1</translation>
    </message>
    <message>
        <source>at least %1</source>
        <translation>au moins %1</translation>
    </message>
    <message>
        <source>from %1 to %2</source>
        <translation>de %1 à %2</translation>
    </message>
    <message>
        <source>Value out of range.</source>
        <translation>Valeur hors de la plage admise.</translation>
    </message>
    <message>
        <source>the file changed while it was read</source>
        <translation>le fichier a changé pendant sa lecture</translation>
    </message>
    <message>
        <source>the output folder %1 was moved or replaced while the file was converted</source>
        <translation>le dossier de sortie %1 a été déplacé ou remplacé pendant la conversion</translation>
    </message>
    <message>
        <source>the temporary output is not ours</source>
        <translation>le fichier de sortie temporaire n&apos;appartient pas à cette conversion</translation>
    </message>
    <message>
        <source>the temporary output was replaced by another file meanwhile</source>
        <translation>le fichier de sortie temporaire a été remplacé entre-temps par un autre fichier</translation>
    </message>
</context>
</TS>
